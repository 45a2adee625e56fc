#include "cli/sweep_report.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/sweep_csv.h"
#include "cli/json_output.h"
#include "units/value_text.h"

namespace corvantile::cli {
namespace {

std::string Hz(double f) { return EngineeringText(f, "Hz"); }

std::string SpanLine(const SweepSpan& span) {
  return "Sweep: " + Hz(span.from) + " to " + Hz(span.to) + ", " + std::to_string(span.points) +
         " points, " + (span.logarithmic ? "logarithmic" : "linear");
}

std::string LimitText(double limit) { return ShortNumber(limit, 3) + ":1"; }

// "VSWR <= 2:1: 3.462 MHz to 3.987 MHz, fractional bandwidth 14.02 %"
std::string BandLine(const VswrBand& band, const SweepSpan& span) {
  std::string line = "VSWR <= " + LimitText(band.limit) + ": ";
  if (!band.matchedAtDesign) return line + "none (above it even at the design frequency)";
  line += band.lower ? Hz(*band.lower) : "below " + Hz(span.from) + " (beyond the sweep)";
  line += " to ";
  line += band.upper ? Hz(*band.upper) : "above " + Hz(span.to) + " (beyond the sweep)";
  if (band.fractional)
    line += ", fractional bandwidth " + ShortNumber(*band.fractional * 100.0, 4) + " %";
  return line;
}

// The circuit's description with each measured side's line in place of the line that describes
// the side as the circuit holds it (its R + jX at the design frequency as a part).
std::vector<std::string> DescribedCircuit(const MatchingCircuit& circuit,
                                          const SweepMeasurement& m) {
  std::vector<std::string> lines = DescribeCircuit(circuit);
  for (const std::string& replacement : m.lines) {
    const std::string side = replacement.substr(0, replacement.find(':') + 1);
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.compare(0, side.size(), side) == 0;
    });
    if (found != lines.end()) {
      *found = replacement;
    } else {
      lines.push_back(replacement);
    }
  }
  return lines;
}

std::vector<std::string> SummaryLines(const MatchingCircuit& circuit, const SweepSpan& span,
                                      const SweepSummary& s, const SweepMeasurement& m) {
  std::vector<std::string> lines = DescribedCircuit(circuit, m);
  lines.push_back(SpanLine(span));
  const ResponsePoint& p = s.atDesign;
  lines.push_back("At " + Hz(s.designFrequency) + ": return loss " +
                  ReturnLossText(p.returnLossDb, 2) + ", VSWR " + FixedNumber(p.vswr, 4) +
                  ", transducer gain " + FixedNumber(p.transducerGainDb, 4) + " dB, load power " +
                  ShortNumber(p.loadPower, 6) + " W");
  for (const VswrBand& band : s.bands) lines.push_back(BandLine(band, span));
  lines.push_back("Attenuation relative to " + Hz(s.designFrequency) + ": " +
                  AttenuationText(s.attenuation2f0Db, s.measured2f0) + " at 2 f0 (" +
                  Hz(2.0 * s.designFrequency) + "), " +
                  AttenuationText(s.attenuation3f0Db, s.measured3f0) + " at 3 f0 (" +
                  Hz(3.0 * s.designFrequency) + ")");
  return lines;
}

std::string RightAligned(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

}  // namespace

std::string SweepTable(const MatchingCircuit& circuit, const SweepSpan& span,
                       std::span<const ResponsePoint> sweep, const SweepSummary& summary,
                       const SweepMeasurement& measurement) {
  std::string text;
  for (const std::string& line : SummaryLines(circuit, span, summary, measurement))
    text += line + '\n';
  text += '\n';
  struct Column {
    const char* name;
    const char* unit;
    std::size_t width;
  };
  static constexpr std::array<Column, 8> kColumns{{{"frequency", "Hz", 16},
                                                   {"Zin real", "ohm", 14},
                                                   {"Zin imag", "ohm", 14},
                                                   {"return loss", "dB", 12},
                                                   {"VSWR", "", 14},
                                                   {"gain", "dB", 12},
                                                   {"phase", "deg", 10},
                                                   {"load power", "W", 14}}};
  for (int row = 0; row < 2; ++row) {
    std::string line;
    for (const Column& c : kColumns) {
      const std::string label =
          row == 0 ? c.name : (c.unit[0] != '\0' ? "(" + std::string(c.unit) + ")" : "");
      line += RightAligned(label, c.width);
    }
    text += line + '\n';
  }
  for (const ResponsePoint& p : sweep) {
    const std::array<std::string, 8> cells = {ShortNumber(p.frequency, 10),
                                              ShortNumber(p.inputImpedance.real(), 6),
                                              ShortNumber(p.inputImpedance.imag(), 6),
                                              FixedNumber(p.returnLossDb, 3),
                                              ShortNumber(p.vswr, 6),
                                              FixedNumber(p.transducerGainDb, 4),
                                              FixedNumber(p.transferPhaseDeg, 2),
                                              ShortNumber(p.loadPower, 6)};
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i)
      line += RightAligned(cells[i], kColumns[i].width);
    text += line + '\n';
  }
  return text;
}

std::string SweepCsvWithSummary(const MatchingCircuit& circuit, const SweepSpan& span,
                                std::span<const ResponsePoint> sweep, const SweepSummary& summary,
                                const SweepMeasurement& measurement) {
  std::string text;
  for (const std::string& line : SummaryLines(circuit, span, summary, measurement))
    text += "# " + line + '\n';
  return text + SweepCsv(sweep);
}

Json SweepJson(const MatchingCircuit& circuit, const SweepSpan& span,
               std::span<const ResponsePoint> sweep, const SweepSummary& summary,
               const SweepMeasurement& measurement) {
  Json spanJson;
  spanJson["from_hz"] = ComputedNumber(span.from);
  spanJson["to_hz"] = ComputedNumber(span.to);
  spanJson["points"] = span.points;
  spanJson["logarithmic"] = span.logarithmic;

  const ResponsePoint& p = summary.atDesign;
  Json bands = Json::array();
  for (const VswrBand& band : summary.bands) {
    Json bandJson;
    bandJson["vswr_limit"] = ComputedNumber(band.limit);
    bandJson["matched_at_design"] = band.matchedAtDesign;
    bandJson["lower_hz"] = OptionalNumber(band.lower);
    bandJson["upper_hz"] = OptionalNumber(band.upper);
    bandJson["fractional_bandwidth"] = OptionalNumber(band.fractional);
    bands.push_back(std::move(bandJson));
  }
  Json summaryJson;
  summaryJson["design_frequency_hz"] = ComputedNumber(summary.designFrequency);
  summaryJson["return_loss_db"] = ComputedNumber(p.returnLossDb);
  summaryJson["vswr"] = ComputedNumber(p.vswr);
  summaryJson["transducer_gain_db"] = ComputedNumber(p.transducerGainDb);
  summaryJson["load_power_w"] = ComputedNumber(p.loadPower);
  summaryJson["vswr_bands"] = std::move(bands);
  summaryJson["attenuation_2f0_db"] =
      summary.measured2f0 ? ComputedNumber(summary.attenuation2f0Db) : Json(nullptr);
  summaryJson["attenuation_3f0_db"] =
      summary.measured3f0 ? ComputedNumber(summary.attenuation3f0Db) : Json(nullptr);

  // The column names are the CSV header's, so a program can read either file the same way.
  Json columns = Json::array();
  const std::string_view header = SweepCsvHeader();
  for (std::size_t start = 0; start <= header.size();) {
    const std::size_t comma = std::min(header.find(',', start), header.size());
    columns.push_back(header.substr(start, comma - start));
    start = comma + 1;
  }
  Json points = Json::array();
  for (const ResponsePoint& q : sweep) {
    Json row = Json::array();
    for (const double value : {q.frequency, q.inputImpedance.real(), q.inputImpedance.imag(),
                               q.reflection.real(), q.reflection.imag(), q.returnLossDb, q.vswr,
                               q.transducerGainDb, q.transferPhaseDeg, q.loadPower}) {
      row.push_back(ComputedNumber(value));
    }
    points.push_back(std::move(row));
  }

  Json json;
  json["circuit"] = DescribedCircuit(circuit, measurement);
  if (!measurement.json.is_null()) json["measured"] = measurement.json;
  json["span"] = std::move(spanJson);
  json["summary"] = std::move(summaryJson);
  json["columns"] = std::move(columns);
  json["points"] = std::move(points);
  return json;
}

}  // namespace corvantile::cli
