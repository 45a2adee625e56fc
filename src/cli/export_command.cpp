#include "cli/export_command.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <complex>
#include <numbers>
#include <optional>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/circuits/two_port.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/formats/touchstone.h"
#include "analysis/studies/band_match.h"
#include "cli/band_options.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/line_options.h"
#include "cli/loss_options.h"
#include "cli/option_values.h"
#include "cli/parts_list.h"
#include "cli/sweep_options.h"
#include "state/message_text.h"
#include "units/precision.h"

namespace corvantile::cli {
namespace {

constexpr std::array<std::string_view, 4> kExportFormats{"spice", "touchstone", "csv", "bom"};

bool Refuse(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

// A netlist whose load is the load seen through a feedline, rewritten so that the line sits
// between the network's output and the load itself: an RLGC ladder of short sections (R and G at
// the design frequency, at least 200 sections per wavelength at the top of the span) and the
// load's own series R + jX at the design frequency behind it. The printed load power is then the
// power reaching the load. False, with the netlist untouched, when it has no load lines to
// replace.
bool PutLineInNetlist(std::string& netlist, const LineSetup& setup, double designFrequency,
                      double topFrequency) {
  const std::size_t loadAt = netlist.find("\nRLOAD out ");
  const std::size_t acAt = netlist.find("\n.ac ");
  const std::size_t vloadAt = netlist.find("\nlet vload = ");
  const std::size_t ploadAt = netlist.find("\nlet pload = ");
  if (!setup.line || setup.place != LinePlace::Load || loadAt == std::string::npos ||
      acAt == std::string::npos || acAt < loadAt || vloadAt == std::string::npos ||
      ploadAt == std::string::npos) {
    return false;
  }
  const TransmissionLine& line = setup.line->line;
  const LineConstants& k = line.Constants();
  const double metres = line.Length();
  const double speed = 1.0 / std::sqrt(k.inductance * k.capacitance);
  const int sections =
      static_cast<int>(std::clamp(std::ceil(200.0 * metres * topFrequency / speed), 50.0, 5000.0));
  const double step = metres / sections;
  const double r = k.Resistance(designFrequency) * step, l = k.inductance * step;
  const double g = k.Conductance(designFrequency) * step, c = k.capacitance * step;
  std::string ladder = "\n* " + setup.line->description + " as " + std::to_string(sections) +
                       " RLGC sections (R and G at the design frequency), then the load itself\n";
  // Pi sections: half of a section's shunt C and G at each of its ends, so that the ladder's
  // error falls with the square of the section length.
  const auto shunt = [&ladder, c, g](const std::string& id, const std::string& node, double share) {
    ladder += "CT" + id + " " + node + " 0 " + ExactNumber(c * share) + "\n";
    if (g > 0.0) ladder += "RG" + id + " " + node + " 0 " + ExactNumber(1.0 / (g * share)) + "\n";
  };
  shunt("0", "out", 0.5);
  for (int n = 1; n <= sections; ++n) {
    const std::string from = n == 1 ? "out" : "t" + std::to_string(n - 1);
    const std::string to = n == sections ? "far" : "t" + std::to_string(n);
    const std::string mid = "m" + std::to_string(n), id = std::to_string(n);
    if (r > 0.0) {
      ladder += "RT" + id + " " + from + " " + mid + " " + ExactNumber(r) + "\n";
    } else {
      ladder += "VT" + id + " " + from + " " + mid + " DC 0\n";
    }
    ladder += "LT" + id + " " + mid + " " + to + " " + ExactNumber(l) + "\n";
    shunt(id, to, n == sections ? 0.5 : 1.0);
  }
  const std::complex<double> z = setup.loadAtDesign;
  const double w = 2.0 * std::numbers::pi * designFrequency;
  std::string vload = "v(far)";
  if (z.imag() > 0.0) {
    ladder += "RLOAD far l1 " + ExactNumber(z.real()) + "\nLLOAD l1 0 " +
              ExactNumber(z.imag() / w) + "\n";
    vload = "v(far)-v(l1)";
  } else if (z.imag() < 0.0) {
    ladder += "RLOAD far l1 " + ExactNumber(z.real()) + "\nCLOAD l1 0 " +
              ExactNumber(-1.0 / (w * z.imag())) + "\n";
    vload = "v(far)-v(l1)";
  } else {
    ladder += "RLOAD far 0 " + ExactNumber(z.real()) + "\n";
  }
  // The printed lines first, from the back, so the earlier offsets hold.
  const auto lineEnd = [&netlist](std::size_t at) { return netlist.find('\n', at + 1); };
  netlist.replace(ploadAt + 1, lineEnd(ploadAt) - ploadAt - 1,
                  "let pload = mag(vload)*mag(vload)/" + ExactNumber(z.real()));
  netlist.replace(vloadAt + 1, lineEnd(vloadAt) - vloadAt - 1, "let vload = " + vload);
  netlist.replace(loadAt, acAt - loadAt, ladder.substr(0, ladder.size() - 1));
  return true;
}

// The two-port of the network and a line at the load in cascade, port 2 at the load's end of
// the line: the network's S-parameters turned to a chain matrix, times the line's, and back.
std::string CascadeS2p(const SweepSetup& setup, const LineChoice& line, double z0) {
  using Complex = std::complex<double>;
  std::string text = "! Corvantile matching network and " + line.description +
                     " at its load side, as a two-port\n";
  for (const std::string& part : DescribeCircuit(setup.circuit)) text += "! " + part + '\n';
  if (setup.lossy) text += "! Lossy parts: " + CircuitQText(setup.circuit, setup.losses) + '\n';
  text +=
      "! Port 1: source side; port 2: the line's far end, where the load connects. The source "
      "and load are not included.\n";
  text += "! Reference impedance " + ShortNumber(z0, 7) +
          " ohm at both ports; columns: f(Hz) S11 S21 S12 S22 as real, imaginary.\n";
  text += "# Hz S RI R " + ExactNumber(z0) + '\n';
  for (const double f : SweepFrequencies(setup.span)) {
    const SParameters n = setup.lossy ? NetworkSParameters(setup.circuit, f, z0, setup.losses)
                                      : NetworkSParameters(setup.circuit, f, z0);
    // S to a chain matrix (both ports at z0).
    const Complex twice = 2.0 * n.s21;
    const ChainMatrix m{((1.0 + n.s11) * (1.0 - n.s22) + n.s12 * n.s21) / twice,
                        z0 * ((1.0 + n.s11) * (1.0 + n.s22) - n.s12 * n.s21) / twice,
                        ((1.0 - n.s11) * (1.0 - n.s22) - n.s12 * n.s21) / (z0 * twice),
                        ((1.0 - n.s11) * (1.0 + n.s22) + n.s12 * n.s21) / twice};
    const ChainMatrix t = line.line.ChainAt(f);
    const Complex a = m.a * t.a + m.b * t.c, b = m.a * t.b + m.b * t.d;
    const Complex c = m.c * t.a + m.d * t.c, d = m.c * t.b + m.d * t.d;
    const Complex delta = a + b / z0 + c * z0 + d;
    const Complex s11 = (a + b / z0 - c * z0 - d) / delta;
    const Complex s12 = 2.0 * (a * d - b * c) / delta;
    const Complex s21 = 2.0 / delta;
    const Complex s22 = (-a + b / z0 - c * z0 + d) / delta;
    text += ExactNumber(f);
    for (const Complex& value : {s11, s21, s12, s22}) {
      text += ' ' + ExactNumber(value.real()) + ' ' + ExactNumber(value.imag());
    }
    text += '\n';
  }
  return text;
}

struct ExportArguments {
  OutputRequest output;
  bool formatNamedFirst = false;
  DesignRequest design;
  SweepRequest sweep;
  std::optional<float> z0;
  LossOptions losses;
  PartsListOptions parts;
  bool partsOption = false;
  bool matched = false;
  BandRequest band;
  std::optional<int> pickCount;
  LineRequest lines;
};

std::vector<OptionDecl> PartsListDecls(ExportArguments& a) {
  // "--standard: 'x' is not none, nearest or best": the completion reads the words from it.
  const auto bad = [](std::string_view option, std::string_view value) {
    return std::string(option) + ": " + QuotedValue(value) + " is not ";
  };
  const auto series = [&a, bad](std::string_view option, StandardSeries& target) {
    return [&a, bad, option, &target](std::string_view value, std::string& error) {
      a.partsOption = true;
      const std::optional<StandardSeries> read = ParseStandardSeries(value);
      if (!read)
        return Refuse(error, bad(option, value) + "one of E3, E6, E12, E24, E48, E96, E192");
      target = *read;
      return true;
    };
  };
  return {
      {.name = "--standard",
       .value_name = "PICK",
       .help = "none (default), nearest or best: the standard values the\n"
               "parts are bought at (best: the combination of neighbouring\n"
               "values with the best return loss)",
       .read =
           [&a, bad](std::string_view value, std::string& error) {
             a.partsOption = true;
             const std::optional<StandardPick> pick = ParseStandardPick(value);
             if (!pick) return Refuse(error, bad("--standard", value) + "none, nearest or best");
             a.parts.pick = *pick;
             return true;
           }},
      {.name = "--series-inductor",
       .value_name = "S",
       .help = "E3, E6, E12 (default), E24, E48, E96 or E192",
       .read = series("--series-inductor", a.parts.choice.inductors)},
      {.name = "--series-capacitor",
       .value_name = "S",
       .help = "the same for capacitors (default E24)",
       .read = series("--series-capacitor", a.parts.choice.capacitors)},
      {.name = "--tolerance",
       .value_name = "P%",
       .help = "the parts' tolerance in percent (default 5%)",
       .read =
           [&a](std::string_view value, std::string& error) {
             a.partsOption = true;
             // As the tolerance command and the tolerance view: 0 to 50 %.
             double fraction = 0.0;
             if (!ReadOptionPercent("--tolerance", value, {0.0, 50.0, "%"}, fraction, error)) {
               return false;
             }
             a.parts.inductorTolerance = a.parts.capacitorTolerance = fraction;
             return true;
           }},
      {.name = "--safety",
       .value_name = "F",
       .help = "the factor on the peak volts and amps (default 2)",
       .read =
           [&a](std::string_view value, std::string& error) {
             a.partsOption = true;
             double factor = 0.0;
             if (!ReadOptionValue("--safety", value, {1e-3, 1e3, ""}, factor, error)) return false;
             a.parts.safetyFactor = factor;
             return true;
           }},
  };
}

CommandOptions Bind(ExportArguments& a) {
  OptionGroup span{
      "Sweep options (the .ac card's span for spice, the frequencies for the "
      "others):\n",
      SpanOptions(a.sweep),
      {}};
  span.options.push_back({.name = "--z0",
                          .value_name = "R",
                          .help = "touchstone only: reference impedance in ohms (default 50)",
                          .read = [&a](std::string_view value, std::string& error) {
                            float r = 0.0f;
                            if (!ReadOptionValue("--z0", value, {1e-3, 1e10, "ohms"}, r, error)) {
                              return false;
                            }
                            a.z0 = r;
                            return true;
                          }});
  span.options.push_back({.name = "--matched",
                          .value_name = {},
                          .help = "touchstone only: the one-port of network and load",
                          .read = [&a](std::string_view, std::string&) {
                            a.matched = true;
                            return true;
                          }});
  OptionGroup band{
      "Band options: export a design of 'corvantile-cli band' instead of the "
      "design\n"
      "window's network (every format for designs of any length; longer than three\n"
      "elements, the loss options apply to the bom alone, without --q1 to --q3 and\n"
      "--compensate, and --standard takes none or nearest):\n",
      BandSearchOptions(a.band),
      {}};
  band.options.push_back(BandPickOption(a.pickCount));
  OptionGroup output = OutputGroup(a.output,
                                   "spice, touchstone, csv or bom, the same as naming the format\n"
                                   "first");
  // The format named first as a word is the format: --format may not name it again.
  OptionDecl& format = output.options.front();
  format.read = [&a, read = format.read](std::string_view value, std::string& error) {
    if (a.formatNamedFirst) return Refuse(error, "name the format once, first or with --format");
    return read(value, error);
  };
  return {
      .command = "export",
      .groups = {DesignGroup(a.design, "Design options:\n"),
                 std::move(span),
                 LossGroup(
                     a.losses,
                     "Loss options (without any of them every part is ideal; each part's loss is "
                     "the usual\n"
                     "ESR model, a series resistance |X|/Q(f) with Q(f) = Q0 (f/f0)^k): the "
                     "netlist gets\n"
                     "each part's series resistance at the design frequency, the touchstone and "
                     "csv files\n"
                     "the lossy response, the bom each part's watts (and --standard best picks "
                     "the\n"
                     "combination with the best lossy return loss); with --compensate the "
                     "exported\n"
                     "network is the compensated one.\n"),
                 LineGroup(a.lines,
                           "Feedline options (the network is designed for the side seen through "
                           "the line; the\n"
                           "csv and the --matched touchstone hold that side's response through the "
                           "line; the\n"
                           "netlist holds a line at the load as an RLGC ladder (R and G at the "
                           "design frequency)\n"
                           "and the load itself, a line at the source as the source seen through "
                           "it; the two-port\n"
                           "is the network and a line at the load in cascade, port 2 at the load; "
                           "not with --band):\n"),
                 std::move(band),
                 {"Parts list options (bom only):\n", PartsListDecls(a), {}},
                 std::move(output)},
  };
}

}  // namespace

CommandOptions ExportCommandOptions() { return Declared(Bind); }

std::string ExportHelp() {
  return "Usage: corvantile-cli export spice|touchstone|csv|bom [OPTIONS] [-o FILE]\n"
         "       corvantile-cli export --format spice|touchstone|csv|bom [OPTIONS] [-o FILE]\n"
         "\n"
         "Designs the network as 'corvantile-cli design' does and writes it for another tool:\n"
         "  spice       a netlist that ngspice runs as it stands (ngspice -b FILE): an AC\n"
         "              source whose EMF makes the design power available at the design\n"
         "              frequency, behind the source impedance; the network; the load; an .ac\n"
         "              card over the span; and a control block that prints the impedance the\n"
         "              source sees (zin_re, zin_im, ohm) and the load power (pload, W)\n"
         "  touchstone  a Touchstone 1.0 .s2p file of the network alone (port 1 the source\n"
         "              side), frequency in Hz, S-parameters as real and imaginary parts;\n"
         "              with --matched a .s1p file of what the source sees instead: the\n"
         "              network with its load on it (typed or measured), to compare with a\n"
         "              measurement of the built network\n"
         "  csv         the sweep table: a header row with the SI unit in each column name,\n"
         "              then one row per frequency\n"
         "  bom         the parts list as CSV: per inductor and capacitor its element, position\n"
         "              (shunt or series), kind, designed and standard value and series,\n"
         "              tolerance, Q, RMS and peak volts and amps, dissipated watts and the\n"
         "              suggested minimum voltage and current ratings (peak times the safety\n"
         "              factor); '#' lines first say the network, the safety factor and each\n"
         "              part's values as the program writes them; the columns hold plain\n"
         "              numbers in SI units (H, F, V, A, W; tolerance in %)\n" +
         OptionsHelp(ExportCommandOptions()) +
         "\n"
         "For a logarithmic span the netlist's .ac card takes the points per decade that give\n"
         "at least as many points; a linear span gives exactly --points.\n"
         "\n" +
         std::string(kExitStatusHelp) +
         "\n"
         "Examples:\n"
         "  corvantile-cli export spice -o match.cir && ngspice -b match.cir\n"
         "  corvantile-cli export touchstone --family tee --z0 75 -o match.s2p\n"
         "  corvantile-cli export touchstone --matched --load-file antenna.s1p -o seen.s1p\n"
         "  corvantile-cli export csv --points 201 --linear > sweep.csv\n"
         "  corvantile-cli export spice --load-file antenna.s1p --line RG-213:30 -o radio.cir\n"
         "  corvantile-cli export spice --band 3.5M:3.8M --load-file antenna.s1p --pick 4\n";
}

int RunExportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err) {
  ExportArguments a;
  // The format may come first as a word ("export spice"), or as --format anywhere.
  std::span<const std::string_view> rest = arguments;
  if (!rest.empty() && !rest.front().starts_with("--") && rest.front() != "-h" &&
      rest.front() != "-o") {
    a.output.format = std::string(rest.front());
    a.formatNamedFirst = true;
    rest = rest.subspan(1);
  }
  std::string error;
  switch (ParseOptions(Bind(a), rest, error)) {
    case ParseResult::Help:
      out << ExportHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const OutputRequest& output = a.output;
  const DesignRequest& design = a.design;
  const SweepRequest& sweep = a.sweep;
  const std::optional<float>& z0 = a.z0;
  const LossOptions& losses = a.losses;
  const PartsListOptions& parts = a.parts;
  const bool partsOption = a.partsOption;
  const bool matched = a.matched;
  BandRequest& band = a.band;
  const std::optional<int>& pickCount = a.pickCount;
  if (!output.format) {
    return Fail(err,
                "export: name a format first: spice, touchstone or csv, or give --format (see "
                "corvantile-cli export --help)");
  }
  std::string format;
  if (!ChooseFormat(output, kExportFormats, format, error)) return Fail(err, "export: " + error);
  if (z0 && format != "touchstone") {
    return Fail(err, "export: --z0 is for the touchstone export only");
  }
  if (partsOption && format != "bom") {
    return Fail(err,
                "export: --standard, --series-inductor, --series-capacitor, --tolerance and "
                "--safety are for the bom export only");
  }
  if (matched && format != "touchstone") {
    return Fail(err, "export: --matched is for the touchstone export only");
  }

  if (pickCount && band.options.bands.empty()) return Fail(err, "export: --pick needs --band");
  const LineRequest& lines = a.lines;
  if (lines.Any() && !band.options.bands.empty()) {
    return Fail(err, "export: the feedline options are not for --band designs");
  }
  LineSetup line;
  SweepSetup setup;
  if (!band.options.bands.empty()) {
    BandRun run;
    const int status = RunBandSearch(design, band, run, error, err);
    if (status != kExitOk) return Fail(err, "export: " + error, status);
    // The chosen count's design, else the one with the best worst return loss.
    const BandDesign* chosen = PickBandDesign(run.match, pickCount);
    if (chosen == nullptr) {
      return Fail(err, "export: " + NoPickedDesignText(run.match, *pickCount),
                  kExitImpossibleDesign);
    }
    SweepSpan span;
    if (!ResolveSweepSpan(sweep, run.designFrequency, span, error)) {
      return Fail(err, "export: " + error);
    }
    const MeasuredSides sides = run.measured.Sides();
    if (sides.Any()) {
      span = CutToSides(span, sides);
      if (const std::string problem = MeasuredSpanProblem(span, sides); !problem.empty()) {
        return Fail(err, "export: " + problem);
      }
    }
    const std::optional<MatchingCircuit> three = MatchingFromLadder(chosen->circuit);
    if (!three) {
      // Longer ladders: the lossless netlist, sweep and two-port, and the parts list, which
      // alone takes the parts' losses.
      const LadderCircuit& ladder = chosen->circuit;
      if (losses.given && format != "bom") {
        return Fail(err,
                    "export: the loss options apply to band designs of more than three elements "
                    "in the bom only");
      }
      for (const std::string& name : losses.named) {
        if (name == "--q1" || name == "--q2" || name == "--q3" || name == "--compensate") {
          return Fail(err, "export: " + name +
                               " is for networks of up to three elements (the "
                               "design has " +
                               std::to_string(ladder.elements.size()) + ")");
        }
      }
      if (format == "bom") {
        if (parts.pick == StandardPick::Best) {
          return Fail(err,
                      "export: --standard best is for networks of up to three elements (use "
                      "nearest, or corvantile-cli band --standard best)");
        }
        return Deliver(LadderPartsListCsv(ladder, EffectiveLossModel(losses), parts,
                                          run.match.frequencies, sides),
                       output, out, err);
      }
      std::string text;
      if (format == "spice") {
        if (sides.Any()) {
          err << "corvantile-cli: note: the netlist holds each measured side as the series R + "
                 "jX it presents at the design frequency\n";
        }
        text = SpiceNetlist(ladder, span);
      } else if (format == "touchstone" && !matched) {
        text =
            TouchstoneS2p(ladder, span, z0 ? precision::Decimal(*z0) : kDefaultReferenceImpedance);
      } else {
        const std::vector<double> frequencies = SweepFrequencies(span);
        const std::vector<ResponsePoint> points = LadderResponse(ladder, frequencies, sides);
        if (format == "csv") {
          text = SweepCsv(points);
        } else {
          std::vector<std::string> comments = {
              "Corvantile band design with its load: what the source sees, as a one-port"};
          for (std::size_t k = 0; k < ladder.elements.size(); ++k) {
            comments.push_back("Element " + std::to_string(k + 1) + ": " +
                               (ladder.elements[k].shunt ? "shunt " : "series ") +
                               DescribePart(ladder.elements[k].part));
          }
          text = TouchstoneS1p(points, z0 ? precision::Decimal(*z0) : kDefaultReferenceImpedance,
                               comments);
        }
      }
      return Deliver(text, output, out, err);
    }
    setup.state = run.state;
    setup.circuit = *three;
    setup.span = span;
    setup.measured = std::move(run.measured);
    setup.losses = EffectiveLossModel(losses);
    setup.lossy = losses.given;
    if (losses.compensate) {
      setup.circuit = CircuitForLosses(setup.circuit, losses, setup.state.NetValues[DesignDriver]);
    }
  } else {
    std::vector<std::string> notes;
    const SweepPreparation prepared =
        PrepareSweep(design, sweep, setup, error, notes, &losses, &lines, &line);
    for (const std::string& note : notes) err << "corvantile-cli: note: " << OneLine(note) << '\n';
    if (prepared != SweepPreparation::Ready) {
      return Fail(err, "export: " + error, PreparationExitStatus(prepared));
    }
  }

  // Line options given, or a line the session's design held.
  const bool lined = lines.Any() || line.line.has_value();
  {
    // A maker's part file must cover what the export evaluates: the span, or f0 alone.
    const bool atDesign = format == "bom" || format == "spice";
    const double f0 = setup.circuit.designFrequency;
    error = PartFileProblem(setup.circuit, setup.losses, atDesign ? f0 : setup.span.from,
                            atDesign ? f0 : setup.span.to);
    if (!error.empty()) return Fail(err, "export: " + error);
  }
  const double reference = z0 ? precision::Decimal(*z0) : kDefaultReferenceImpedance;
  std::string lossLine;
  if (setup.lossy) {
    lossLine = "Lossy parts (series resistance |X|/Q(f), Q(f) = Q0 (f/f0)^k): " +
               CircuitQText(setup.circuit, setup.losses);
  }
  std::string text;
  if (format == "bom") {
    text = PartsListCsv(setup.circuit, setup.losses, parts);
  } else if (format == "spice") {
    if ((lined ? line.shown : setup.measured).Any()) {
      err << "corvantile-cli: note: the netlist holds each measured side as the series R + jX "
             "it presents at the design frequency\n";
    }
    text = setup.lossy ? SpiceNetlist(setup.circuit, setup.span, setup.losses)
                       : SpiceNetlist(setup.circuit, setup.span);
    if (PutLineInNetlist(text, line, setup.circuit.designFrequency, setup.span.to)) {
      const std::size_t title = text.find('\n') + 1;
      text.insert(title, "* The load named below is the load seen through " +
                             line.line->description +
                             "; the netlist holds the line and the load\n");
    } else if (line.line) {
      // The netlist has no line element: its side is the impedance seen through the line.
      const std::string side = line.place == LinePlace::Load ? "load" : "source";
      const std::size_t title = text.find('\n') + 1;
      text.insert(title, "* The " + side + " is the " + side + " seen through " +
                             line.line->description + " at the design frequency\n");
    }
  } else if (format == "touchstone" && matched) {
    std::vector<std::string> comments = {
        "Corvantile matching network with its load: what the source sees, as a one-port"};
    for (const std::string& part : DescribeCircuit(setup.circuit)) comments.push_back(part);
    // The measured sides as their files give them, then the line's figures.
    const MeasuredDesign& shown = lined ? line.shown : setup.measured;
    std::string block = MeasuredLines(shown, setup.circuit.designFrequency);
    if (lined) block += LineReport(line, setup.circuit, setup.measured.Sides());
    for (std::size_t start = 0; start < block.size();) {
      const std::size_t end = block.find('\n', start);
      if (end == std::string::npos) {
        comments.push_back(block.substr(start));
        break;
      }
      comments.push_back(block.substr(start, end - start));
      start = end + 1;
    }
    if (!lossLine.empty()) comments.push_back(lossLine);
    text = TouchstoneS1p(SweepSetupResponse(setup), reference, comments);
  } else if (format == "touchstone") {
    // The network alone: a measured side or a feedline does not enter it.
    if (line.line && line.place == LinePlace::Load) {
      text = CascadeS2p(setup, *line.line, reference);
      return Deliver(text, output, out, err);
    }
    if (line.line) {
      err << "corvantile-cli: note: the two-port is the network alone, designed for the "
             "source seen through the line\n";
    }
    text = setup.lossy ? TouchstoneS2p(setup.circuit, setup.span, reference, setup.losses)
                       : TouchstoneS2p(setup.circuit, setup.span, reference);
  } else {
    text = SweepCsv(SweepSetupResponse(setup));
  }
  return Deliver(text, output, out, err);
}

}  // namespace corvantile::cli
