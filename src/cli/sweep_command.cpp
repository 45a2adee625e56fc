#include "cli/sweep_command.h"

#include <array>
#include <vector>

#include "analysis/formats/number_text.h"
#include "analysis/solvers/sweep_summary.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/json_output.h"
#include "cli/line_options.h"
#include "cli/loss_options.h"
#include "cli/sweep_options.h"
#include "cli/sweep_report.h"
#include "state/message_text.h"
#include "units/value_text.h"

namespace corvantile::cli {
namespace {

constexpr std::array<std::string_view, 3> kSweepFormats{"table", "csv", "json"};

// The sweep as a table or CSV, of whichever circuit and response the caller made.
std::string SweepText(std::string_view format, const SweepSetup& setup,
                      const std::vector<ResponsePoint>& points, const SweepSummary& summary,
                      const SweepMeasurement& measurement) {
  if (format == "csv") {
    return SweepCsvWithSummary(setup.circuit, setup.span, points, summary, measurement);
  }
  return SweepTable(setup.circuit, setup.span, points, summary, measurement);
}

struct SweepArguments {
  DesignRequest design;
  SweepRequest sweep;
  OutputRequest output;
  LossOptions losses;
  LineRequest lines;
};

CommandOptions Bind(SweepArguments& a) {
  return {
      .command = "sweep",
      .groups = {DesignGroup(a.design, "Design options:\n"),
                 {"Sweep options:\n", SpanOptions(a.sweep), {}},
                 LossGroup(
                     a.losses,
                     "Loss options (without any of them every part is ideal; each part's loss is "
                     "the usual\n"
                     "ESR model, a series resistance |X|/Q(f) with Q(f) = Q0 (f/f0)^k; the gain "
                     "then\n"
                     "shows the insertion loss and the summary is made of the lossy response; "
                     "with\n"
                     "--compensate the swept network is the compensated one):\n"),
                 LineGroup(
                     a.lines,
                     "Feedline options (the side the line is on is swept as seen through it; its "
                     "figures\n"
                     "at the design frequency come before the table):\n"),
                 OutputGroup(a.output,
                             "table (default), csv (the summary as '#' lines, then the\n"
                             "table of 'corvantile-cli export csv') or json")},
  };
}

}  // namespace

CommandOptions SweepCommandOptions() { return Declared(Bind); }

std::string SweepHelp() {
  return "Usage: corvantile-cli sweep [OPTIONS]\n"
         "\n"
         "Designs the network as 'corvantile-cli design' does, builds the physical circuit (the\n"
         "source and load in the form they were entered, every part at its henries or farads)\n"
         "and prints its response over a span of frequencies: the impedance the source sees,\n"
         "the reflection coefficient against the conjugate of the source impedance, return\n"
         "loss, VSWR, transducer gain (load power over available power), transfer phase (load\n"
         "voltage against network input voltage) and load power. The summary gives the figures\n"
         "at the design frequency, the band edges and fractional bandwidth for VSWR 2:1 and\n"
         "1.5:1 (an edge beyond the span is reported as such), and the attenuation at twice\n"
         "and three times the design frequency relative to the design frequency.\n"
         "\n"
         "With --source-file or --load-file that side is the measured impedance at every\n"
         "sweep point, interpolated from the file, and the bandwidths come from the measured\n"
         "data (with the loss options, of the lossy network between the measured sides). The\n"
         "span stays inside the file's band: the default (a quarter to four times the design\n"
         "frequency) is cut to it, and a --from or --to beyond it is moved to the band's edge\n"
         "with a note on stderr. A harmonic beyond the band is \"not measured\" (null in JSON).\n" +
         OptionsHelp(SweepCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "\n"
         "Examples:\n"
         "  corvantile-cli sweep\n"
         "  corvantile-cli sweep --family tee --from 3M --to 4.5M --points 301 --linear\n"
         "  corvantile-cli sweep --load series:50:-25 --format csv > sweep.csv\n"
         "  corvantile-cli sweep --load-file antenna.s1p --frequency 3.75M\n";
}

int RunSweepCommand(std::span<const std::string_view> arguments, std::ostream& out,
                    std::ostream& err) {
  SweepArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << SweepHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const DesignRequest& design = a.design;
  const SweepRequest& sweep = a.sweep;
  const OutputRequest& output = a.output;
  const LossOptions& losses = a.losses;
  const LineRequest& lines = a.lines;
  std::string format;
  if (!ChooseFormat(output, kSweepFormats, format, error)) return Fail(err, "sweep: " + error);

  SweepSetup setup;
  std::vector<std::string> notes;
  LineSetup line;
  const SweepPreparation prepared =
      PrepareSweep(design, sweep, setup, error, notes, &losses, &lines, &line);
  // Line options given, or a line the session's design held.
  const bool lined = lines.Any() || line.line.has_value();
  for (const std::string& note : notes) err << "corvantile-cli: note: " << OneLine(note) << '\n';
  if (prepared != SweepPreparation::Ready) {
    return Fail(err, "sweep: " + error, PreparationExitStatus(prepared));
  }

  std::string lossLine;
  if (setup.lossy) {
    lossLine = "Lossy parts (series resistance |X|/Q(f), Q(f) = Q0 (f/f0)^k): " +
               CircuitQText(setup.circuit, setup.losses);
  }
  // Each part's self-resonance against the design frequency.
  std::vector<std::string> partLines;
  if (HasPartModels(setup.losses)) {
    const std::array<PartQ, 3> q = CircuitQ(setup.circuit, setup.losses);
    for (std::size_t k = 0; k < 3; ++k) {
      const CircuitPart& part = setup.circuit.elements[k];
      if (part.kind != PartKind::Inductor && part.kind != PartKind::Capacitor) continue;
      const double srf = SelfResonantFrequency(part, q[k]);
      partLines.push_back("Element " + std::to_string(k + 1) + ": " + PartModelText(q[k]) +
                          "; self-resonance " +
                          (srf > 0.0 ? FrequencyText(srf) + ", f0/SRF " +
                                           FixedNumber(setup.circuit.designFrequency / srf, 3)
                                     : std::string("none")));
    }
    for (const std::string& w : SelfResonanceWarnings(setup.circuit, setup.losses)) {
      partLines.push_back("warning: " + w);
    }
  }
  const std::vector<ResponsePoint> points = SweepSetupResponse(setup);
  const SweepSummary summary = SummarizeSetup(setup, points);
  SweepMeasurement measurement;
  // The measured sides as their files give them, not as seen through --line.
  const MeasuredDesign& shown = lined ? line.shown : setup.measured;
  if (shown.Any()) {
    const std::string text = MeasuredLines(shown, setup.circuit.designFrequency);
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\n', start);
      measurement.lines.push_back(text.substr(start, end - start) +
                                  " (interpolated at every sweep point)");
      start = end + 1;
    }
    measurement.json = MeasuredJson(shown);
  }
  if (format == "json") {
    // Which parts were lossy and the line's figures come first, then the sweep's own members.
    Json json = Json::object();
    if (!lossLine.empty()) json["losses"] = lossLine;
    if (HasPartModels(setup.losses)) {
      Json parts = Json::array();
      const std::array<PartQ, 3> q = CircuitQ(setup.circuit, setup.losses);
      for (std::size_t k = 0; k < 3; ++k) {
        const double srf = SelfResonantFrequency(setup.circuit.elements[k], q[k]);
        Json part;
        part["element"] = k + 1;
        part["model"] = PartModelText(q[k]);
        part["self_resonance_hz"] = srf > 0.0 ? Json(ComputedNumber(srf)) : Json(nullptr);
        part["f0_over_srf"] =
            srf > 0.0 ? Json(ComputedNumber(setup.circuit.designFrequency / srf)) : Json(nullptr);
        parts.push_back(std::move(part));
      }
      json["part_models"] = std::move(parts);
      json["warnings"] = SelfResonanceWarnings(setup.circuit, setup.losses);
    }
    if (lined) json["line"] = LineJson(line, setup.circuit, setup.measured.Sides());
    json.update(SweepJson(setup.circuit, setup.span, points, summary, measurement));
    return Deliver(JsonLine(json), output, out, err);
  }
  std::string text = SweepText(format, setup, points, summary, measurement);
  // The line's figures at the design frequency, before the table (as '#' lines in csv).
  if (lined) {
    std::string block = LineReport(line, setup.circuit, setup.measured.Sides());
    if (format == "csv") {
      std::string commented;
      for (std::size_t start = 0; start < block.size();) {
        const std::size_t end = block.find('\n', start);
        commented += "# " + block.substr(start, end - start) + "\n";
        start = end + 1;
      }
      block = commented;
    }
    text.insert(0, block);
  }
  // Which parts were lossy, as the first line of the table and the csv.
  for (auto partLine = partLines.rbegin(); partLine != partLines.rend(); ++partLine) {
    text.insert(0, (format == "csv" ? "# " : "") + *partLine + "\n");
  }
  if (!lossLine.empty()) text.insert(0, (format == "csv" ? "# " : "") + lossLine + "\n");
  return Deliver(text, output, out, err);
}

}  // namespace corvantile::cli
