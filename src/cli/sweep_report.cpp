#include "cli/sweep_report.h"

#include <array>
#include <optional>
#include <vector>

#include "analysis/circuit_text.h"
#include "analysis/number_text.h"
#include "analysis/sweep_csv.h"
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

std::vector<std::string> SummaryLines(const MatchingCircuit& circuit, const SweepSpan& span,
                                      const SweepSummary& s) {
  std::vector<std::string> lines = DescribeCircuit(circuit);
  lines.push_back(SpanLine(span));
  const ResponsePoint& p = s.atDesign;
  lines.push_back("At " + Hz(s.designFrequency) + ": return loss " +
                  FixedNumber(p.returnLossDb, 2) + " dB, VSWR " + FixedNumber(p.vswr, 4) +
                  ", transducer gain " + FixedNumber(p.transducerGainDb, 4) + " dB, load power " +
                  ShortNumber(p.loadPower, 6) + " W");
  for (const VswrBand& band : s.bands) lines.push_back(BandLine(band, span));
  lines.push_back("Attenuation relative to " + Hz(s.designFrequency) + ": " +
                  FixedNumber(s.attenuation2f0Db, 2) + " dB at 2 f0 (" +
                  Hz(2.0 * s.designFrequency) + "), " + FixedNumber(s.attenuation3f0Db, 2) +
                  " dB at 3 f0 (" + Hz(3.0 * s.designFrequency) + ")");
  return lines;
}

std::string RightAligned(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string JsonDouble(double value) { return ExactNumber(value); }

std::string JsonOptional(const std::optional<double>& value) {
  return value ? JsonDouble(*value) : "null";
}

}  // namespace

std::string SweepTable(const MatchingCircuit& circuit, const SweepSpan& span,
                       std::span<const ResponsePoint> sweep, const SweepSummary& summary) {
  std::string text;
  for (const std::string& line : SummaryLines(circuit, span, summary)) text += line + '\n';
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
                                std::span<const ResponsePoint> sweep, const SweepSummary& summary) {
  std::string text;
  for (const std::string& line : SummaryLines(circuit, span, summary)) text += "# " + line + '\n';
  return text + SweepCsv(sweep);
}

std::string SweepJson(const MatchingCircuit& circuit, const SweepSpan& span,
                      std::span<const ResponsePoint> sweep, const SweepSummary& summary) {
  std::string text = "{\"circuit\":[";
  const std::vector<std::string> description = DescribeCircuit(circuit);
  for (std::size_t i = 0; i < description.size(); ++i) {
    text += (i > 0 ? "," : "") + JsonString(description[i]);
  }
  text += "],\"span\":{\"from_Hz\":" + JsonDouble(span.from) + ",\"to_Hz\":" + JsonDouble(span.to) +
          ",\"points\":" + std::to_string(span.points) +
          ",\"logarithmic\":" + (span.logarithmic ? "true" : "false") + "}";
  const ResponsePoint& p = summary.atDesign;
  text += ",\"summary\":{\"design_frequency_Hz\":" + JsonDouble(summary.designFrequency) +
          ",\"return_loss_dB\":" + JsonDouble(p.returnLossDb) + ",\"vswr\":" + JsonDouble(p.vswr) +
          ",\"transducer_gain_dB\":" + JsonDouble(p.transducerGainDb) +
          ",\"load_power_W\":" + JsonDouble(p.loadPower) + ",\"vswr_bands\":[";
  for (std::size_t i = 0; i < summary.bands.size(); ++i) {
    const VswrBand& band = summary.bands[i];
    text += std::string(i > 0 ? "," : "") + "{\"vswr_limit\":" + JsonDouble(band.limit) +
            ",\"matched_at_design\":" + (band.matchedAtDesign ? "true" : "false") +
            ",\"lower_Hz\":" + JsonOptional(band.lower) +
            ",\"upper_Hz\":" + JsonOptional(band.upper) +
            ",\"fractional_bandwidth\":" + JsonOptional(band.fractional) + "}";
  }
  text += "],\"attenuation_2f0_dB\":" + JsonDouble(summary.attenuation2f0Db) +
          ",\"attenuation_3f0_dB\":" + JsonDouble(summary.attenuation3f0Db) + "}";
  text += ",\"columns\":[";
  const std::string_view header = SweepCsvHeader();
  std::size_t start = 0;
  for (bool first = true; start <= header.size(); first = false) {
    const std::size_t comma = std::min(header.find(',', start), header.size());
    text += (first ? "" : ",") + JsonString(header.substr(start, comma - start));
    start = comma + 1;
  }
  text += "],\"points\":[";
  for (std::size_t k = 0; k < sweep.size(); ++k) {
    const ResponsePoint& q = sweep[k];
    text += k > 0 ? ",[" : "[";
    const std::array<double, 10> values = {q.frequency,
                                           q.inputImpedance.real(),
                                           q.inputImpedance.imag(),
                                           q.reflection.real(),
                                           q.reflection.imag(),
                                           q.returnLossDb,
                                           q.vswr,
                                           q.transducerGainDb,
                                           q.transferPhaseDeg,
                                           q.loadPower};
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i > 0) text += ',';
      text += JsonDouble(values[i]);
    }
    text += ']';
  }
  text += "]}\n";
  return text;
}

}  // namespace corvantile::cli
