#include "cli/explore_command.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/studies/explore.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/json_output.h"
#include "cli/line_options.h"
#include "cli/loss_options.h"
#include "cli/option_values.h"
#include "model/design_answers.h"
#include "state/message_text.h"
#include "units/value_text.h"

namespace corvantile::cli {
namespace {

int Refuse(std::ostream& err, std::string_view message) {
  err << "corvantile-cli: explore: " << OneLine(message) << '\n';
  return kExitUsage;
}

// The sort keys the command line offers, in the order the help lists them.
constexpr std::array<std::string_view, 3> kExploreFormats{"table", "csv", "json"};

constexpr std::string_view kSortKeys[] = {"bandwidth", "attenuation2f", "attenuation3f",
                                          "voltage",   "current",       "efficiency"};

std::string Percent(std::optional<double> fraction) {
  return fraction ? FixedNumber(100.0 * *fraction, 2) : "-";
}

std::string PartsText(const Candidate& c) {
  std::string text;
  for (const LadderElement& e : c.circuit.elements) {
    if (!text.empty()) text += "; ";
    text += (e.shunt ? "shunt " : "series ") + DescribePart(e.part);
  }
  return text;
}

Json CandidateJson(const Candidate& c) {
  Json elements = Json::array();
  for (std::size_t k = 0; k < c.circuit.elements.size(); ++k) {
    const LadderElement& e = c.circuit.elements[k];
    Json element;
    element["place"] = e.shunt ? "shunt" : "series";
    element["part"] = PartKindName(e.part.kind);
    element["value"] = ComputedNumber(e.part.value);
    element["volts"] = ComputedNumber(c.stress[k].volts);
    element["amps"] = ComputedNumber(c.stress[k].amps);
    elements.push_back(std::move(element));
  }
  Json o;
  o["name"] = c.name;
  o["kind"] = CandidateKindName(c.kind);
  o["phase_deg"] = OptionalNumber(c.phase);
  o["at_user_phase"] = c.atUserPhase;
  o["in_design_window"] = c.inDesignWindow;
  o["elements"] = std::move(elements);
  o["input_q"] = ComputedNumber(c.inputQ);
  o["output_q"] = ComputedNumber(c.outputQ);
  o["bandwidth_2to1"] = OptionalNumber(c.summary.bands[0].fractional);
  o["bandwidth_1_5to1"] = OptionalNumber(c.summary.bands[1].fractional);
  o["attenuation_2f_db"] = OptionalNumber(FigureValue(c, Figure::Attenuation2f));
  o["attenuation_3f_db"] = OptionalNumber(FigureValue(c, Figure::Attenuation3f));
  o["return_loss_db"] = ComputedNumber(c.summary.atDesign.returnLossDb);
  o["largest_volts"] = ComputedNumber(c.largestVolts);
  o["largest_amps"] = ComputedNumber(c.largestAmps);
  o["passes_dc"] = c.passesDc;
  o["bound_share"] = OptionalNumber(c.boundShare);
  o["efficiency"] = OptionalNumber(c.efficiency);
  o["hottest_part_watts"] = OptionalNumber(c.hottestPartWatts);
  o["standard_return_loss_db"] = OptionalNumber(c.standardReturnLossDb);
  return o;
}

// Why the bound does not follow a measured side's file over frequency.
constexpr std::string_view kMeasuredBoundNote =
    "the Bode-Fano bound uses each measured side's impedance at the design frequency as "
    "series R + jX, not its file over frequency";

// An attenuation cell of the table: "12.34", or "not measured" beyond a measured side's band.
std::string AttenuationCell(double db, bool measured) {
  return measured ? FixedNumber(db, 2) : std::string("not measured");
}

std::string ExploreJson(const Exploration& e, const MeasuredDesign& measured,
                        const LineSetup& line) {
  Json bound;
  bound["vswr"] = 2;
  bound["source_q"] = ComputedNumber(e.bound.sourceQ);
  bound["load_q"] = ComputedNumber(e.bound.loadQ);
  bound["limited_by"] = e.bound.limitedBy == BoundSide::Load     ? Json("load")
                        : e.bound.limitedBy == BoundSide::Source ? Json("source")
                                                                 : Json(nullptr);
  bound["bandwidth_2to1"] = OptionalNumber(e.bound.fractional);
  bound["note"] = BodeFanoNote(e.bound);
  if (e.measuredSides) bound["measured_note"] = kMeasuredBoundNote;
  Json candidates = Json::array();
  for (const Candidate& c : e.candidates) candidates.push_back(CandidateJson(c));
  Json json;
  json["design_frequency_hz"] = ComputedNumber(e.designFrequency);
  json["design_power_w"] = ComputedNumber(e.designPower);
  json["bode_fano"] = std::move(bound);
  if (measured.Any()) json["measured"] = MeasuredJson(measured);
  if (line.line) {
    // Every candidate differs, so only the line itself: its figures depend on the network.
    json["line"] = {{"line", line.line->description},
                    {"at", line.place == LinePlace::Load ? "load" : "source"}};
  }
  json["candidates"] = std::move(candidates);
  return JsonLine(json);
}

std::string Csv(const Exploration& e, const ExploreOptions& realParts) {
  std::ostringstream o;
  o << "name,kind,phase_deg,in_design_window,parts,input_q,output_q,bandwidth_2to1,"
       "bandwidth_1_5to1,attenuation_2f_db,attenuation_3f_db,largest_volts,largest_amps,"
       "passes_dc,bound_share"
    << (realParts.losses ? ",efficiency,hottest_part_watts" : "")
    << (realParts.standard ? ",standard_return_loss_db" : "") << '\n';
  auto cell = [](const std::optional<double>& value) {
    return value ? ExactNumber(*value) : std::string();
  };
  for (const Candidate& c : e.candidates) {
    o << '"' << c.name << "\"," << CandidateKindName(c.kind) << ','
      << (c.phase ? ExactNumber(*c.phase) : "") << ',' << (c.inDesignWindow ? 1 : 0) << ",\""
      << PartsText(c) << "\"," << ExactNumber(c.inputQ) << ',' << ExactNumber(c.outputQ) << ','
      << (c.summary.bands[0].fractional ? ExactNumber(*c.summary.bands[0].fractional) : "") << ','
      << (c.summary.bands[1].fractional ? ExactNumber(*c.summary.bands[1].fractional) : "") << ','
      << cell(FigureValue(c, Figure::Attenuation2f)) << ','
      << cell(FigureValue(c, Figure::Attenuation3f)) << ',' << ExactNumber(c.largestVolts) << ','
      << ExactNumber(c.largestAmps) << ',' << (c.passesDc ? 1 : 0) << ','
      << (c.boundShare ? ExactNumber(*c.boundShare) : "");
    if (realParts.losses) o << ',' << cell(c.efficiency) << ',' << cell(c.hottestPartWatts);
    if (realParts.standard) o << ',' << cell(c.standardReturnLossDb);
    o << '\n';
  }
  return o.str();
}

std::string Table(const Exploration& e, const ExploreOptions& realParts,
                  const MeasuredDesign& measured) {
  std::ostringstream o;
  o << MeasuredLines(measured, e.designFrequency);
  if (e.bound.fractional) {
    o << "Bode-Fano bound (VSWR 2:1): " << Percent(e.bound.fractional) << " % (limited by the "
      << (e.bound.limitedBy == BoundSide::Load ? "load" : "source") << ")\n";
  } else {
    o << BodeFanoNote(e.bound) << '\n';
  }
  if (e.measuredSides) o << "Note: " << kMeasuredBoundNote << ".\n";
  o << "Candidates: " << e.candidates.size()
    << " (* the design window's phase; + beyond the "
       "design window)\n\n";
  // "not measured" needs wider attenuation columns than a number does.
  const std::size_t attWidth = e.measuredSides ? 14 : 10;
  std::string att2 = "att2f dB", att3 = "att3f dB";
  att2.resize(attWidth, ' ');
  att3.resize(attWidth, ' ');
  o << "name                               Qin     Qout    BW2:1%  BW1.5%  " << att2 << att3
    << "Vmax      Imax     DC     " << (realParts.losses ? "eff %   hot W     " : "")
    << (realParts.standard ? "stdRL dB  " : "") << "parts\n";
  for (const Candidate& c : e.candidates) {
    std::string name = (c.atUserPhase ? "*" : c.inDesignWindow ? " " : "+") + c.name;
    name.resize(std::max<std::size_t>(name.size(), 34), ' ');
    auto column = [](std::string text, std::size_t width) {
      text.resize(std::max(text.size() + 1, width), ' ');
      return text;
    };
    o << name << ' ' << column(QText(c.inputQ), 8) << column(QText(c.outputQ), 8)
      << column(Percent(c.summary.bands[0].fractional), 8)
      << column(Percent(c.summary.bands[1].fractional), 8)
      << column(AttenuationCell(c.summary.attenuation2f0Db, c.summary.measured2f0), attWidth)
      << column(AttenuationCell(c.summary.attenuation3f0Db, c.summary.measured3f0), attWidth)
      << column(EngineeringText(c.largestVolts, "V"), 10)
      << column(EngineeringText(c.largestAmps, "A"), 9) << column(c.passesDc ? "pass" : "block", 7);
    if (realParts.losses) {
      o << column(Percent(c.efficiency), 8)
        << column(c.hottestPartWatts ? EngineeringText(*c.hottestPartWatts, "W") : "-", 10);
    }
    if (realParts.standard) {
      o << column(c.standardReturnLossDb ? ReturnLossText(*c.standardReturnLossDb, 2) : "-", 10);
    }
    o << PartsText(c) << '\n';
  }
  return o.str();
}

bool Refused(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

struct ExploreArguments {
  DesignRequest design;
  ExploreOptions options;
  std::optional<Figure> sort;
  OutputRequest output;
  LossOptions losses;
  StandardChoice standard;
  bool standardBest = false;
  LineRequest lines;
};

OptionReader SeriesReader(std::string_view option, StandardSeries& target) {
  return [option, &target](std::string_view value, std::string& error) {
    const std::optional<StandardSeries> series = ParseStandardSeries(value);
    if (!series) {
      return Refused(error, std::string(option) + ": '" + std::string(value) +
                                "' is not one of E3, E6, E12, E24, E48, E96, E192");
    }
    target = *series;
    return true;
  };
}

CommandOptions Bind(ExploreArguments& a) {
  std::vector<OptionDecl> own{
      {.name = "--sort",
       .value_name = "FIGURE",
       .help = "bandwidth, attenuation2f, attenuation3f, voltage, current\n"
               "or efficiency, best first (default: as found)",
       .read =
           [&a](std::string_view value, std::string& error) {
             if (std::find(std::begin(kSortKeys), std::end(kSortKeys), value) ==
                 std::end(kSortKeys)) {
               return Refused(error, "unknown sort " + QuotedValue(value) +
                                         " (use bandwidth, attenuation2f, attenuation3f, "
                                         "voltage, current or efficiency)");
             }
             a.sort = FigureFromName(value);
             return true;
           }},
      {.name = "--step",
       .value_name = "DEG",
       .help = "degrees between the Pi and Tee phases (default 1)",
       .read =
           [&a](std::string_view value, std::string& error) {
             double step = 0.0;
             if (!ReadOptionValue("--step", value, {0.01, 90.0, "deg"}, step, error)) {
               return false;
             }
             a.options.phaseStep = step;
             return true;
           }},
      {.name = "--standard",
       .value_name = "PICK",
       .help = "best: each three-element candidate's return loss with its\n"
               "parts at the best combination of standard values; none\n"
               "(default)",
       .read =
           [&a](std::string_view value, std::string& error) {
             if (value != "best" && value != "none") {
               return Refused(error,
                              "unknown --standard '" + std::string(value) + "' (use best or none)");
             }
             a.standardBest = value == "best";
             return true;
           }},
      {.name = "--series-inductor",
       .value_name = "S",
       .help = "the inductors' series for --standard (default E12)",
       .read = SeriesReader("--series-inductor", a.standard.inductors)},
      {.name = "--series-capacitor",
       .value_name = "S",
       .help = "the capacitors' series for --standard (default E24)",
       .read = SeriesReader("--series-capacitor", a.standard.capacitors)},
  };
  return {
      .command = "explore",
      .groups = {DesignGroup(a.design, "Design options:\n"),
                 {"Explore options:\n", std::move(own), {}},
                 LossGroup(a.losses,
                           "Loss options (each three-element candidate's efficiency and hottest "
                           "part's watts\n"
                           "at the design power, with its parts lossy: the usual ESR model, a "
                           "series resistance\n"
                           "|X|/Q(f) with Q(f) = Q0 (f/f0)^k; every candidate is listed as "
                           "designed):\n",
                           CompensateOption::Omitted),
                 LineGroup(a.lines,
                           "Feedline options (every candidate is designed for the side seen "
                           "through the line,\n"
                           "and its figures are those with that side):\n"),
                 OutputGroup(a.output, "table (default), csv or json")},
      // Every candidate is listed as designed: there is no one design to compensate.
      .refused = {{"--compensate", "--compensate does not apply to explore"}},
  };
}

}  // namespace

CommandOptions ExploreCommandOptions() { return Declared(Bind); }

std::string ExploreHelp() {
  return "Usage: corvantile-cli explore [OPTIONS]\n"
         "\n"
         "Lists every network that matches the circuit's source and load at its frequency and\n"
         "power: the design window's low-pass and high-pass L, every other two-element L (a\n"
         "shunt across the source or the load, either sign), the two L sections through the\n"
         "geometric-mean resistance, and the Pi and the Tee at every network phase step where\n"
         "they exist. Each comes with its parts, input and output Q, the 2:1 and 1.5:1 VSWR\n"
         "bandwidths, the attenuation at 2f and 3f, the largest part voltage and current, and\n"
         "whether it passes DC; where the source or load is reactive, the Bode-Fano bound of\n"
         "the 2:1 bandwidth and each candidate's share of it. With --load-file or\n"
         "--source-file the bandwidths and attenuations come from the measured data over the\n"
         "sweep cut to the file's band (a harmonic beyond it is \"not measured\", null in JSON),\n"
         "while the bound keeps the side's impedance at the design frequency.\n" +
         OptionsHelp(ExploreCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "For explore, 1 is a source and load that no network matches.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli explore --sort bandwidth\n"
         "  corvantile-cli explore --load parallel:100:-300 --step 5 --format json\n";
}

int RunExploreCommand(std::span<const std::string_view> arguments, std::ostream& out,
                      std::ostream& err) {
  ExploreArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << ExploreHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const DesignRequest& design = a.design;
  ExploreOptions& options = a.options;
  const std::optional<Figure>& sort = a.sort;
  const OutputRequest& output = a.output;
  const LossOptions& losses = a.losses;
  const StandardChoice& standard = a.standard;
  const bool standardBest = a.standardBest;

  std::string format;
  if (!ChooseFormat(output, kExploreFormats, format, error)) return Refuse(err, error);
  if (standardBest) options.standard = standard;
  DesignModel model;
  std::vector<std::string> notes;
  const bool built = BuildDesignModel(design, model, error, notes, &losses);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << OneLine(note) << '\n';
  if (!built) return Refuse(err, error);
  // The parts' parasitics are the command line's alone, over the session's Q.
  if (LossesSwitchedOn(model.settings().losses)) {
    options.losses = WithPartModels(PartLosses(model), &losses);
  }
  MeasuredDesign measured = MeasuredDesignOf(model);
  // A feedline between the network and a side: every candidate matches the side through it.
  const LineRequest lines = TakeDesignLine(model, a.lines);
  RunState state = model.state();
  LineSetup line;
  if (lines.Any() && !ApplyLineRequest(lines, state, measured, line, error)) {
    return Refuse(err, error);
  }
  Exploration exploration;
  if (lines.Any()) {
    options.sides = measured.Sides();
    exploration = Explore(state, options);
  } else {
    exploration = ExplorationOf(model, options);
  }
  // The measured sides as their files give them, not as seen through --line.
  const MeasuredDesign& shown = lines.Any() ? line.shown : measured;
  if (exploration.problem != CircuitProblem::None) {
    return Refuse(err, CircuitProblemText(exploration.problem));
  }
  if (exploration.candidates.empty()) {
    err << "corvantile-cli: explore: no network matches this source and load\n";
    return kExitImpossibleDesign;
  }
  if (sort) SortCandidates(exploration.candidates, *sort);
  std::string text = format == "json"  ? ExploreJson(exploration, shown, line)
                     : format == "csv" ? Csv(exploration, options)
                                       : Table(exploration, options, shown);
  if (format == "table") {
    std::string lineText = LoadFileLineText(line);
    if (line.line) {
      lineText += "Feedline: " + line.line->description + " between the network and the " +
                  (line.place == LinePlace::Load ? "load" : "source") +
                  "; every candidate matches the side seen through it\n";
    }
    text.insert(0, lineText);
  }
  return Deliver(text, output, out, err);
}

}  // namespace corvantile::cli
