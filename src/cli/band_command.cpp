#include "cli/band_command.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/studies/band_match.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/json_writer.h"
#include "cli/loss_options.h"
#include "math/design_network.h"

namespace corvantile::cli {
namespace {

constexpr std::array<std::string_view, 3> kBandFormats{"table", "csv", "json"};

// Below this the return loss is no match at all.
constexpr double kLeastReturnLossDb = 0.01;

int BandFail(std::ostream& err, std::string_view message, int status = kExitUsage) {
  return Fail(err, "band: " + std::string(message), status);
}

// A band edge: a positive number with an optional SI prefix and "Hz" ("3.5M", "18GHz",
// "800e6"). Read here rather than by ParseValue, which holds values at 1e10.
std::optional<double> ReadFrequency(std::string_view text) {
  const std::string s(text);
  char* end = nullptr;
  double value = std::strtod(s.c_str(), &end);
  if (end == s.c_str()) return std::nullopt;
  std::string_view rest(end);
  if (!rest.empty()) {
    static constexpr std::pair<char, double> kPrefixes[] = {{'p', 1e-12}, {'n', 1e-9}, {'u', 1e-6},
                                                            {'m', 1e-3},  {'k', 1e3},  {'K', 1e3},
                                                            {'M', 1e6},   {'G', 1e9},  {'g', 1e9}};
    for (const auto& [letter, scale] : kPrefixes) {
      if (rest.front() == letter) {
        value *= scale;
        rest.remove_prefix(1);
        break;
      }
    }
  }
  if (rest == "Hz" || rest == "hz") rest = {};
  if (!rest.empty() || !(value > 0.0) || !std::isfinite(value)) return std::nullopt;
  return value;
}

struct BandRequest {
  BandMatchOptions options;
  bool elementsGiven = false;
  bool standardBest = false;
  StandardChoice standard;
};

// Takes one of the band's own options; NotMine leaves the cursor where it was.
OptionTake TakeBandOption(ArgumentCursor& args, BandRequest& request, std::string& error) {
  if (args.AtEnd() || !IsOptionArgument(args.Peek())) return OptionTake::NotMine;
  const OptionArgument option = SplitOption(args.Peek());
  static constexpr std::string_view kNames[] = {
      "--band",   "--elements", "--topology",        "--attenuation",
      "--points", "--standard", "--series-inductor", "--series-capacitor"};
  if (std::find(std::begin(kNames), std::end(kNames), option.name) == std::end(kNames)) {
    return OptionTake::NotMine;
  }
  args.Take();
  std::string_view value;
  if (!args.TakeValue(option, value, error)) return OptionTake::Failed;
  const std::string text(value);
  if (option.name == "--band") {
    const std::size_t colon = value.find(':');
    const std::optional<double> from =
        colon == std::string_view::npos ? std::nullopt : ReadFrequency(value.substr(0, colon));
    const std::optional<double> to =
        colon == std::string_view::npos ? std::nullopt : ReadFrequency(value.substr(colon + 1));
    if (!from || !to) {
      error = "--band needs F1:F2, two frequencies above 0 ('" + text + "')";
      return OptionTake::Failed;
    }
    request.options.bands.push_back({*from, *to});
  } else if (option.name == "--elements" || option.name == "--points") {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    const bool elements = option.name == "--elements";
    const long most = elements ? 6 : 10001;
    const long least = elements ? 1 : 2;
    if (text.empty() || *end != '\0' || n < least || n > most) {
      error = std::string(option.name) + " needs a whole number from " + std::to_string(least) +
              " to " + std::to_string(most) + " ('" + text + "')";
      return OptionTake::Failed;
    }
    if (elements) {
      request.options.maxElements = static_cast<int>(n);
      request.elementsGiven = true;
    } else {
      request.options.pointsPerBand = static_cast<int>(n);
    }
  } else if (option.name == "--standard") {
    if (value != "best" && value != "none") {
      error = "unknown --standard '" + text + "' (use best or none)";
      return OptionTake::Failed;
    }
    request.standardBest = value == "best";
  } else if (option.name == "--series-inductor" || option.name == "--series-capacitor") {
    const std::optional<StandardSeries> series = ParseStandardSeries(value);
    if (!series) {
      error = std::string(option.name) + ": '" + text +
              "' is not one of E3, E6, E12, E24, E48, E96, E192";
      return OptionTake::Failed;
    }
    (option.name == "--series-inductor" ? request.standard.inductors
                                        : request.standard.capacitors) = *series;
  } else if (option.name == "--topology") {
    const std::optional<LadderFamily> family = LadderFamilyFromName(value);
    if (!family) {
      error = "unknown --topology '" + text + "' (use lowpass, highpass, bandpass or any)";
      return OptionTake::Failed;
    }
    request.options.family = *family;
  } else {
    // --attenuation 2f:30
    const bool shape = value.size() > 3 && (value[0] == '2' || value[0] == '3') &&
                       value[1] == 'f' && value[2] == ':';
    char* end = nullptr;
    const double db = shape ? std::strtod(text.c_str() + 3, &end) : 0.0;
    if (!shape || *end != '\0' || !(db > 0.0 && db <= 200.0)) {
      error = "--attenuation needs 2f:DB or 3f:DB with DB above 0 and at most 200 ('" + text + "')";
      return OptionTake::Failed;
    }
    request.options.harmonic = HarmonicRequirement{value[0] - '0', db};
  }
  return OptionTake::Taken;
}

std::string_view PartName(const CircuitPart& part) {
  return part.kind == PartKind::Inductor ? "inductor" : "capacitor";
}

std::string ElementsText(const LadderCircuit& ladder) {
  std::string text;
  for (const LadderElement& e : ladder.elements) {
    if (!text.empty()) text += "; ";
    text += (e.shunt ? "shunt " : "series ") + DescribePart(e.part);
  }
  return text;
}

std::string BandsText(const std::vector<FrequencyBand>& bands) {
  std::string text;
  for (const FrequencyBand& b : bands) {
    if (!text.empty()) text += ", ";
    text += EngineeringText(b.from, "Hz") + " to " + EngineeringText(b.to, "Hz");
  }
  return text;
}

std::string_view BoundSideName(BoundSide side) {
  return side == BoundSide::Load ? "load" : side == BoundSide::Source ? "source" : "";
}

constexpr std::string_view kNoBound = "no Bode-Fano bound: source and load are resistive";

struct RealParts {
  std::optional<LossModel> losses;
  std::vector<BandLosses> perDesign;
  std::vector<StandardLadder> standard;  // one per design with --standard best
  StandardChoice standardChoice;
};

std::string ElementValuesText(const LadderCircuit& ladder) {
  std::string text;
  for (const LadderElement& e : ladder.elements) {
    if (!text.empty()) text += "; ";
    text += std::string(e.shunt ? "shunt " : "series ") + std::string(PartName(e.part)) + ' ' +
            ExactNumber(e.part.value);
  }
  return text;
}

std::string Json(const BandMatch& m, const BandMatchOptions& o, const RealParts& real,
                 const MeasuredDesign& measured) {
  JsonArray bands;
  for (const FrequencyBand& b : o.bands) {
    JsonObject band;
    band.AddDouble("from_hz", b.from).AddDouble("to_hz", b.to);
    bands.AddObject(band);
  }
  JsonObject bound;
  bound.AddOptionalDouble("return_loss_db", m.bound.ReturnLossDb())
      .AddOptionalDouble("vswr", m.bound.Vswr());
  if (m.bound.limitedBy == BoundSide::None) {
    bound.AddNull("limited_by").AddNull("model").AddString("note", kNoBound);
  } else {
    const ReactiveModel& side = m.bound.limitedBy == BoundSide::Load ? m.loadModel : m.sourceModel;
    bound.AddString("limited_by", BoundSideName(m.bound.limitedBy))
        .AddString("model", ReactiveModelText(side));
  }
  JsonArray designs;
  for (std::size_t k = 0; k < m.designs.size(); ++k) {
    const BandDesign& d = m.designs[k];
    JsonArray elements;
    for (const LadderElement& e : d.circuit.elements) {
      JsonObject element;
      element.AddString("connection", e.shunt ? "shunt" : "series")
          .AddString("part", PartName(e.part))
          .AddDouble("value", e.part.value);
      elements.AddObject(element);
    }
    JsonObject design;
    design.AddInteger("element_count", static_cast<long long>(d.circuit.elements.size()))
        .AddArray("elements", elements)
        .AddDouble("worst_return_loss_db", d.figures.worstReturnLossDb)
        .AddDouble("mean_return_loss_db", d.figures.meanReturnLossDb)
        .AddDouble("worst_vswr", d.figures.worstVswr)
        .AddDouble("worst_frequency_hz", d.figures.worstFrequency)
        .AddOptionalDouble("bode_fano_return_loss_db", d.boundReturnLossDb)
        .AddOptionalDouble("distance_from_bound_db", d.distanceFromBoundDb);
    if (o.harmonic) design.AddOptionalDouble("attenuation_db", d.harmonicAttenuationDb);
    if (real.losses) {
      const BandLosses& l = real.perDesign[k];
      design.AddDouble("efficiency", l.lowestEfficiency)
          .AddDouble("mean_efficiency", l.meanEfficiency)
          .AddDouble("hottest_part_watts", l.hottestPartWatts)
          .AddInteger("hottest_part", l.hottestPart);
    }
    if (!real.standard.empty()) {
      const StandardLadder& st = real.standard[k];
      JsonArray values;
      for (const LadderElement& e : st.circuit.elements) values.AddDouble(e.part.value);
      JsonObject standard;
      standard.AddArray("values", values)
          .AddDouble("worst_return_loss_db", st.figures.worstReturnLossDb)
          .AddDouble("mean_return_loss_db", st.figures.meanReturnLossDb)
          .AddDouble("worst_vswr", st.figures.worstVswr);
      design.AddObject("standard", standard);
    }
    designs.AddObject(design);
  }
  JsonObject json;
  json.AddArray("bands", bands)
      .AddInteger("points_per_band", o.pointsPerBand)
      .AddDouble("centre_frequency_hz", m.centreFrequency)
      .AddString("topology", LadderFamilyName(o.family));
  if (o.harmonic) {
    JsonObject a;
    a.AddInteger("harmonic", o.harmonic->harmonic).AddDouble("db", o.harmonic->attenuationDb);
    json.AddObject("attenuation", a);
  }
  json.AddObject("bode_fano", bound);
  if (measured.Any()) json.AddObject("measured", MeasuredJson(measured));
  json.AddArray("designs", designs);
  return json.Text() + '\n';
}

std::string Csv(const BandMatch& m, const BandMatchOptions& o, const RealParts& real) {
  std::ostringstream out;
  out << "element_count,worst_return_loss_db,mean_return_loss_db,worst_vswr,worst_frequency_hz,"
         "bode_fano_return_loss_db,distance_from_bound_db"
      << (o.harmonic ? ",attenuation_db" : "")
      << (real.losses ? ",efficiency,mean_efficiency,hottest_part_watts,hottest_part" : "")
      << (real.standard.empty() ? "" : ",standard_worst_return_loss_db,standard_elements")
      << ",elements\n";
  auto cell = [](const std::optional<double>& v) { return v ? ExactNumber(*v) : std::string(); };
  for (std::size_t k = 0; k < m.designs.size(); ++k) {
    const BandDesign& d = m.designs[k];
    out << d.circuit.elements.size() << ',' << ExactNumber(d.figures.worstReturnLossDb) << ','
        << ExactNumber(d.figures.meanReturnLossDb) << ',' << ExactNumber(d.figures.worstVswr) << ','
        << ExactNumber(d.figures.worstFrequency) << ',' << cell(d.boundReturnLossDb) << ','
        << cell(d.distanceFromBoundDb);
    if (o.harmonic) out << ',' << cell(d.harmonicAttenuationDb);
    if (real.losses) {
      const BandLosses& l = real.perDesign[k];
      out << ',' << ExactNumber(l.lowestEfficiency) << ',' << ExactNumber(l.meanEfficiency) << ','
          << ExactNumber(l.hottestPartWatts) << ',' << l.hottestPart;
    }
    if (!real.standard.empty()) {
      out << ',' << ExactNumber(real.standard[k].figures.worstReturnLossDb) << ",\""
          << ElementValuesText(real.standard[k].circuit) << '"';
    }
    out << ",\"";
    for (std::size_t i = 0; i < d.circuit.elements.size(); ++i) {
      const LadderElement& e = d.circuit.elements[i];
      out << (i ? "; " : "") << (e.shunt ? "shunt " : "series ") << PartName(e.part) << ' '
          << ExactNumber(e.part.value);
    }
    out << "\"\n";
  }
  return out.str();
}

std::string Table(const BandMatch& m, const BandMatchOptions& o, const RealParts& real,
                  const MeasuredDesign& measured, double designFrequency) {
  std::ostringstream out;
  out << MeasuredLines(measured, designFrequency);
  out << "Bands: " << BandsText(o.bands) << " (" << o.pointsPerBand << " points each)\n";
  if (o.family != LadderFamily::Any) out << "Topology: " << LadderFamilyName(o.family) << '\n';
  if (o.harmonic) {
    out << "Attenuation asked: " << FixedNumber(o.harmonic->attenuationDb, 1) << " dB at "
        << o.harmonic->harmonic << "f ("
        << EngineeringText(o.harmonic->harmonic * m.centreFrequency, "Hz") << ")\n";
  }
  if (const std::optional<double> rl = m.bound.ReturnLossDb()) {
    const ReactiveModel& side = m.bound.limitedBy == BoundSide::Load ? m.loadModel : m.sourceModel;
    out << "Bode-Fano bound: return loss " << FixedNumber(*rl, 2) << " dB (VSWR "
        << FixedNumber(*m.bound.Vswr(), 3) << "), limited by the "
        << BoundSideName(m.bound.limitedBy) << ", " << ReactiveModelText(side) << '\n';
  } else {
    out << kNoBound << '\n';
  }
  out << '\n'
      << "n  worst RL dB  mean RL dB  worst VSWR  to bound dB  " << (o.harmonic ? "att dB   " : "")
      << (real.losses ? "eff %   hot W     " : "") << (real.standard.empty() ? "" : "std RL dB  ")
      << "elements from the source\n";
  auto column = [](std::string text, std::size_t width) {
    text.resize(std::max(text.size() + 1, width), ' ');
    return text;
  };
  for (std::size_t k = 0; k < m.designs.size(); ++k) {
    const BandDesign& d = m.designs[k];
    out << column(std::to_string(d.circuit.elements.size()), 3)
        << column(FixedNumber(d.figures.worstReturnLossDb, 2), 13)
        << column(FixedNumber(d.figures.meanReturnLossDb, 2), 12)
        << column(FixedNumber(d.figures.worstVswr, 3), 12)
        << column(d.distanceFromBoundDb ? FixedNumber(*d.distanceFromBoundDb, 2) : "-", 13);
    if (o.harmonic) {
      out << column(d.harmonicAttenuationDb ? FixedNumber(*d.harmonicAttenuationDb, 1) : "-", 9);
    }
    if (real.losses) {
      const BandLosses& l = real.perDesign[k];
      out << column(FixedNumber(100.0 * l.lowestEfficiency, 2), 8)
          << column(EngineeringText(l.hottestPartWatts, "W"), 10);
    }
    if (!real.standard.empty()) {
      out << column(FixedNumber(real.standard[k].figures.worstReturnLossDb, 2), 11);
    }
    out << ElementsText(d.circuit) << '\n';
  }
  if (!real.standard.empty()) {
    out << "\nStandard values (series inductors " << SeriesName(real.standardChoice.inductors)
        << ", capacitors " << SeriesName(real.standardChoice.capacitors) << "):\n";
    for (const StandardLadder& st : real.standard) {
      out << column(std::to_string(st.circuit.elements.size()), 3) << ElementsText(st.circuit)
          << '\n';
    }
  }
  return out.str();
}

}  // namespace

std::string BandHelp() {
  return "Usage: corvantile-cli band --band F1:F2 [--band F3:F4 ...] [OPTIONS]\n"
         "\n"
         "Finds, for every number of elements up to --elements, the lossless ladder (series and\n"
         "shunt elements alternating, each an inductor or a capacitor, either kind first) whose\n"
         "worst return loss over the bands is the best: every arrangement is searched from the\n"
         "single-frequency L, Pi and Tee networks, multi-section L networks and random starts,\n"
         "then refined to the minimax optimum. Each design comes with its worst and mean\n"
         "in-band return loss, its worst VSWR, and its distance from the Bode-Fano bound of the\n"
         "load's (or the source's) R-C or R-L model over the bands: the best constant\n"
         "reflection any lossless network could hold. A resistive pair has no bound.\n"
         "\n"
         "The source and load are given as for 'corvantile-cli design': a typed side's part is\n"
         "the one with its reactance at the design frequency (by default the middle of the\n"
         "bands), and follows frequency as that part does; with --source-file or --load-file\n"
         "that side is the measured impedance at every in-band point, interpolated from the\n"
         "file, and its bound model is the series or parallel R-L or R-C that has its impedance\n"
         "at the band centre and follows the file more closely.\n"
         "\n"
         "Band options:\n"
         "  --band F1:F2          a band, in hertz (3.5M:3.8M); repeat for several bands\n"
         "  --elements N          the most elements, 1 to 6 (default 4)\n"
         "  --topology FAMILY     lowpass (series L, shunt C), highpass (series C, shunt L),\n"
         "                        bandpass (some of each) or any (default)\n"
         "  --attenuation H:DB    at least DB of transducer loss at twice (2f:DB) or three\n"
         "                        times (3f:DB) the band centre\n"
         "  --points N            in-band points per band, equally spaced (default 201)\n"
         "  --standard PICK       best: each design with its parts at the combination of\n"
         "                        standard values (the nearest and two neighbours each way)\n"
         "                        with the best worst return loss; none (default)\n"
         "  --series-inductor S   the inductors' series for --standard (default E12)\n"
         "  --series-capacitor S  the capacitors' series for --standard (default E24)\n"
         "\n"
         "Design options (see corvantile-cli design --help for FORM:R:V; the network options\n"
         "are not used):\n" +
         DesignOptionsHelp() +
         "\n"
         "Loss options (each design's lowest in-band efficiency and its hottest part's watts\n"
         "with the design power flowing in, its parts lossy by the usual ESR model |X|/Q(f);\n"
         "the search itself is lossless, and --compensate does not apply):\n" +
         LossOptionsHelp() +
         "\n"
         "Output options:\n" +
         OutputOptionsHelp("table (default), csv or json\n") +
         "\n"
         "Exit status: 0 designs found; 1 no ladder reaches a positive return loss over the\n"
         "bands (or the attenuation asked); 2 bad command line, unreadable or unwritable file,\n"
         "with one line on stderr.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli band --band 3.5M:3.8M --load-file antenna.s1p\n"
         "  corvantile-cli band --band 0.8G:1.8G --load parallel:15:-24.5 --elements 5\n"
         "  corvantile-cli band --band 7M:7.3M --band 10.1M:10.15M --attenuation 2f:30 "
         "--format json\n";
}

int RunBandCommand(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err) {
  ArgumentCursor args(arguments);
  DesignRequest design;
  BandRequest band;
  OutputRequest output;
  LossOptions losses;
  std::string error;
  while (!args.AtEnd()) {
    OptionTake taken = TakeBandOption(args, band, error);
    if (taken == OptionTake::NotMine) taken = TakeDesignOrLossOption(args, design, losses, error);
    if (taken == OptionTake::NotMine) taken = TakeOutputOption(args, output, error);
    if (taken == OptionTake::Failed) return BandFail(err, error);
    if (taken == OptionTake::Taken) continue;
    const std::string_view argument = args.Take();
    if (IsHelpArgument(argument)) {
      out << BandHelp();
      return kExitOk;
    }
    if (!IsOptionArgument(argument)) {
      return BandFail(err, "unexpected argument '" + std::string(argument) +
                               "' (see corvantile-cli band --help)");
    }
    const OptionArgument option = SplitOption(argument);
    if (option.name == "--help") return BandFail(err, "--help takes no value");
    return BandFail(
        err, "unknown option '" + std::string(option.name) + "' (see corvantile-cli band --help)");
  }
  std::string format;
  if (!ChooseFormat(output, kBandFormats, format, error)) return BandFail(err, error);
  if (band.options.bands.empty()) return BandFail(err, "give at least one --band F1:F2");
  if (losses.compensate) return BandFail(err, "--compensate does not apply to band");
  // The typed sides' parts are entered at the middle of the bands unless --frequency says.
  const bool frequencyGiven =
      std::any_of(design.settings.begin(), design.settings.end(),
                  [](const DesignSetting& s) { return s.option == "--frequency"; });
  if (!frequencyGiven) {
    double low = HUGE_VAL, high = 0.0;
    for (const FrequencyBand& b : band.options.bands) {
      low = std::min(low, b.from);
      high = std::max(high, b.to);
    }
    design.settings.insert(design.settings.begin(),
                           DesignSetting{"--frequency", ExactNumber(0.5 * (low + high))});
  }
  RunState state;
  std::vector<std::string> notes;
  MeasuredDesign measured;
  const bool built = BuildDesignState(design, state, error, notes, measured);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << note << '\n';
  if (!built) return BandFail(err, error);
  band.options.sides = measured.Sides();
  if (const std::string problem = BandMatchProblem(band.options); !problem.empty()) {
    return BandFail(err, problem);
  }
  // The source and load as circuits; the network the design pass made is not used.
  RunState designed = state;
  RunDesignPass(designed);
  const CircuitBuild sides = BuildCircuit(designed, DesignOutcome::Designed);
  if (sides.problem != CircuitProblem::None && sides.problem != CircuitProblem::ShuntShorted) {
    return BandFail(err, CircuitProblemText(sides.problem));
  }
  const double f0 = static_cast<double>(state.NetValues[Frequency]);
  const double power = static_cast<double>(state.NetValues[Power]);
  BandMatch match =
      MatchOverBands(sides.circuit.source, sides.circuit.load, f0, power, band.options);
  std::erase_if(match.designs, [](const BandDesign& d) {
    return !(d.figures.worstReturnLossDb >= kLeastReturnLossDb);
  });
  if (match.designs.empty()) {
    std::string why = "no ladder of up to " + std::to_string(band.options.maxElements) +
                      " elements reaches a positive return loss over " +
                      BandsText(band.options.bands);
    if (band.options.harmonic) {
      why += " with " + FixedNumber(band.options.harmonic->attenuationDb, 1) + " dB at " +
             std::to_string(band.options.harmonic->harmonic) + "f";
    }
    return BandFail(err, why, kExitImpossibleDesign);
  }
  RealParts real;
  if (losses.given) {
    real.losses = EffectiveLossModel(losses);
    for (const BandDesign& d : match.designs) {
      real.perDesign.push_back(
          LadderBandLosses(d.circuit, match.frequencies, *real.losses, band.options.sides));
    }
  }
  if (band.standardBest) {
    real.standardChoice = band.standard;
    for (const BandDesign& d : match.designs) {
      real.standard.push_back(
          BestStandardLadder(d.circuit, match.frequencies, band.standard, band.options.sides));
    }
  }
  const std::string text = format == "json"  ? Json(match, band.options, real, measured)
                           : format == "csv" ? Csv(match, band.options, real)
                                             : Table(match, band.options, real, measured, f0);
  return Deliver(text, output, out, err);
}

}  // namespace corvantile::cli
