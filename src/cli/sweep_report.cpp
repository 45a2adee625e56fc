#include "cli/sweep_report.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/sweep_csv.h"
#include "cli/json_writer.h"

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
                  FixedNumber(p.returnLossDb, 2) + " dB, VSWR " + FixedNumber(p.vswr, 4) +
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

std::string SweepJson(const MatchingCircuit& circuit, const SweepSpan& span,
                      std::span<const ResponsePoint> sweep, const SweepSummary& summary,
                      const SweepMeasurement& measurement) {
  JsonArray description;
  for (const std::string& line : DescribedCircuit(circuit, measurement)) {
    description.AddString(line);
  }
  JsonObject spanJson;
  spanJson.AddDouble("from_hz", span.from)
      .AddDouble("to_hz", span.to)
      .AddInteger("points", span.points)
      .AddBool("logarithmic", span.logarithmic);

  const ResponsePoint& p = summary.atDesign;
  JsonArray bands;
  for (const VswrBand& band : summary.bands) {
    JsonObject bandJson;
    bandJson.AddDouble("vswr_limit", band.limit)
        .AddBool("matched_at_design", band.matchedAtDesign)
        .AddOptionalDouble("lower_hz", band.lower)
        .AddOptionalDouble("upper_hz", band.upper)
        .AddOptionalDouble("fractional_bandwidth", band.fractional);
    bands.AddObject(bandJson);
  }
  JsonObject summaryJson;
  summaryJson.AddDouble("design_frequency_hz", summary.designFrequency)
      .AddDouble("return_loss_db", p.returnLossDb)
      .AddDouble("vswr", p.vswr)
      .AddDouble("transducer_gain_db", p.transducerGainDb)
      .AddDouble("load_power_w", p.loadPower)
      .AddArray("vswr_bands", bands)
      .AddOptionalDouble("attenuation_2f0_db", summary.measured2f0
                                                   ? std::optional(summary.attenuation2f0Db)
                                                   : std::nullopt)
      .AddOptionalDouble("attenuation_3f0_db", summary.measured3f0
                                                   ? std::optional(summary.attenuation3f0Db)
                                                   : std::nullopt);

  // The column names are the CSV header's, so a program can read either file the same way.
  JsonArray columns;
  const std::string_view header = SweepCsvHeader();
  for (std::size_t start = 0; start <= header.size();) {
    const std::size_t comma = std::min(header.find(',', start), header.size());
    columns.AddString(header.substr(start, comma - start));
    start = comma + 1;
  }
  JsonArray points;
  for (const ResponsePoint& q : sweep) {
    JsonArray row;
    for (const double value : {q.frequency, q.inputImpedance.real(), q.inputImpedance.imag(),
                               q.reflection.real(), q.reflection.imag(), q.returnLossDb, q.vswr,
                               q.transducerGainDb, q.transferPhaseDeg, q.loadPower}) {
      row.AddDouble(value);
    }
    points.AddArray(row);
  }

  JsonObject json;
  json.AddArray("circuit", description);
  if (measurement.json) json.AddObject("measured", *measurement.json);
  json.AddObject("span", spanJson)
      .AddObject("summary", summaryJson)
      .AddArray("columns", columns)
      .AddArray("points", points);
  return json.Text() + '\n';
}

}  // namespace corvantile::cli
