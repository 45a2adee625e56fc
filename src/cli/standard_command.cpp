#include "cli/standard_command.h"

#include <array>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/solvers/sweep_summary.h"
#include "analysis/studies/standard_design.h"
#include "analysis/studies/standard_pairs.h"
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
  err << "corvantile-cli: standard: " << OneLine(message) << '\n';
  return kExitUsage;
}

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string BandText(const VswrBand& band) {
  if (!band.matchedAtDesign) return "none";
  if (!band.fractional) return "beyond the span";
  return PercentText(*band.fractional, 2);
}

void FiguresLine(std::ostream& out, const StandardDesign& d) {
  const SweepSummary& s = d.summary;
  out << "  return loss " << ReturnLossText(s.atDesign.returnLossDb, 2) << ", VSWR "
      << Fixed(s.atDesign.vswr, 3) << ", 2:1 bandwidth " << BandText(s.bands[0])
      << ", attenuation at 2f0 " << AttenuationText(s.attenuation2f0Db, s.measured2f0)
      << ", at 3f0 " << AttenuationText(s.attenuation3f0Db, s.measured3f0)
      << ", largest part voltage " << Fixed(d.maxPartVolts, 1) << " V\n";
}

void TableRow(std::ostream& out, const std::string& name, const StandardDesign& d) {
  out << name << '\n';
  for (std::size_t k = 0; k < 3; ++k) {
    out << "  element " << k + 1 << ": " << PartValueText(d.circuit.elements[k]) << '\n';
  }
  FiguresLine(out, d);
}

void PairsRows(std::ostream& out, const StandardPairs& p, std::string_view inductors,
               std::string_view capacitors) {
  out << "Pairs of standard values (capacitors " << capacitors << " in parallel, inductors "
      << inductors << " in series)\n";
  for (std::size_t k = 0; k < 3; ++k) {
    out << "  element " << k + 1 << ": " << PairValueText(p.design.circuit.elements[k], p.pairs[k])
        << '\n';
  }
  FiguresLine(out, p.design);
  out << "  parts: " << p.partCount << '\n';
}

void TrimmedRows(std::ostream& out, const TrimmedDesign& t, const TrimmerRange& range) {
  const std::string rangeText = PartValueText({PartKind::Capacitor, range.min}) + " to " +
                                PartValueText({PartKind::Capacitor, range.max});
  if (!t.possible) {
    out << "Trimmer " << rangeText << ": no capacitor can take it\n";
    return;
  }
  out << "Trimmer " << rangeText << " on element " << t.element << '\n';
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& element = t.design.circuit.elements[k];
    out << "  element " << k + 1 << ": ";
    if (static_cast<int>(k) + 1 == t.element) {
      if (t.fixed > 0.0) out << PartValueText({PartKind::Capacitor, t.fixed}) << " + ";
      out << "trimmer at " << PartValueText({PartKind::Capacitor, t.setting}) << " = "
          << PartValueText(element) << '\n';
    } else {
      out << PairValueText(element, t.pairs[k]) << '\n';
    }
  }
  FiguresLine(out, t.design);
  out << "  parts: " << t.partCount << " (the trimmer one of them)\n";
}

constexpr std::array<std::string_view, 2> kStandardFormats{"table", "json"};

Json DesignJson(const StandardDesign& d) {
  Json kinds = Json::array();
  Json values = Json::array();
  for (const CircuitPart& part : d.circuit.elements) {
    kinds.push_back(PartKindName(part.kind));
    values.push_back(ComputedNumber(part.value));
  }
  const SweepSummary& s = d.summary;
  Json o;
  o["element_kinds"] = std::move(kinds);
  o["element_values"] = std::move(values);
  o["return_loss_db"] = ComputedNumber(s.atDesign.returnLossDb);
  o["vswr"] = ComputedNumber(s.atDesign.vswr);
  o["matched_2_to_1"] = s.bands[0].matchedAtDesign;
  if (s.bands[0].fractional) o["bandwidth_2_to_1"] = ComputedNumber(*s.bands[0].fractional);
  o["attenuation_2f0_db"] = s.measured2f0 ? ComputedNumber(s.attenuation2f0Db) : Json(nullptr);
  o["attenuation_3f0_db"] = s.measured3f0 ? ComputedNumber(s.attenuation3f0Db) : Json(nullptr);
  o["max_part_volts"] = ComputedNumber(d.maxPartVolts);
  return o;
}

// An element's parts in farads or henries: [] for a short or open, [v] or [v1, v2].
Json PairJson(const PartPair& pair) {
  Json parts = Json::array();
  if (pair.first > 0.0) parts.push_back(ComputedNumber(pair.first));
  if (pair.second > 0.0) parts.push_back(ComputedNumber(pair.second));
  return parts;
}

Json PairsJson(const StandardPairs& p) {
  Json o = DesignJson(p.design);
  Json parts = Json::array();
  for (const PartPair& pair : p.pairs) parts.push_back(PairJson(pair));
  o["element_parts"] = std::move(parts);
  o["part_count"] = p.partCount;
  return o;
}

Json TrimmedJson(const TrimmedDesign& t, const TrimmerRange& range) {
  Json o = t.possible ? DesignJson(t.design) : Json::object();
  o["trimmer_min"] = ComputedNumber(range.min);
  o["trimmer_max"] = ComputedNumber(range.max);
  o["possible"] = t.possible;
  if (!t.possible) return o;
  Json parts = Json::array();
  for (std::size_t k = 0; k < 3; ++k) {
    parts.push_back(static_cast<int>(k) + 1 == t.element ? Json::array() : PairJson(t.pairs[k]));
  }
  o["element_parts"] = std::move(parts);
  o["element"] = t.element;
  o["fixed"] = ComputedNumber(t.fixed);
  o["trimmer_setting"] = ComputedNumber(t.setting);
  o["part_count"] = t.partCount;
  return o;
}

struct StandardArguments {
  DesignRequest design;
  StandardChoice choice;
  OutputRequest output;
  LossOptions losses;
  LineRequest lines;
  bool pairs = false;
  std::optional<TrimmerRange> trimmer;
};

// Trimmer ranges up to 1 uF: "2p:10p".
OptionReader TrimmerReader(std::optional<TrimmerRange>& target) {
  return [&target](std::string_view value, std::string& error) {
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos) {
      error = "--trimmer: " + QuotedValue(value) + " is not MIN:MAX (2p:10p)";
      return false;
    }
    constexpr ValueRange kTrimmerValues{0.0, 1e-6, "F"};
    TrimmerRange range;
    if (!ReadOptionValue("--trimmer", value.substr(0, colon), kTrimmerValues, range.min, error) ||
        !ReadOptionValue("--trimmer", value.substr(colon + 1), kTrimmerValues, range.max, error)) {
      return false;
    }
    if (!(range.min > 0.0)) {
      error = "--trimmer: " + QuotedValue(value) + " needs a MIN above 0";
      return false;
    }
    if (!(range.max > range.min)) {
      error = "--trimmer: " + QuotedValue(value) + " has no range (MAX must exceed MIN)";
      return false;
    }
    target = range;
    return true;
  };
}

OptionReader SeriesReader(StandardSeries& target) {
  return [&target](std::string_view value, std::string& error) {
    const std::optional<StandardSeries> series = ParseStandardSeries(value);
    if (!series) {
      error = "unknown series " + QuotedValue(value) + " (use E3, E6, E12, E24, E48, E96 or E192)";
      return false;
    }
    target = *series;
    return true;
  };
}

CommandOptions Bind(StandardArguments& a) {
  std::vector<OptionDecl> series{
      {.name = "--series-inductor",
       .value_name = "S",
       .help = "E3, E6, E12 (default), E24, E48, E96 or E192",
       .read = SeriesReader(a.choice.inductors)},
      {.name = "--series-capacitor",
       .value_name = "S",
       .help = "the same, E24 by default",
       .read = SeriesReader(a.choice.capacitors)},
      {.name = "--pairs",
       .help = "also build every element from a pair of standard values (two capacitors\n"
               "in parallel, two inductors in series), the best combination of pairs",
       .read = [&a](std::string_view, std::string&) { return a.pairs = true; }},
      {.name = "--trimmer",
       .value_name = "MIN:MAX",
       .help = "also a fixed standard capacitor beside a trimmer of this range (2p:10p),\n"
               "set to the best match; implies --pairs",
       .read = TrimmerReader(a.trimmer)},
  };
  return {
      .command = "standard",
      .groups = {DesignGroup(a.design, "Design options:\n"),
                 LossGroup(a.losses,
                           "Loss options (without any of them every part is ideal): every "
                           "figure, and the\n"
                           "choice of the best combination, then includes each part's series "
                           "resistance\n"
                           "|X|/Q(f); with --compensate the ideal design is the one compensated "
                           "for the losses\n"
                           "and the nearest and best designs round it:\n"),
                 LineGroup(a.lines,
                           "Feedline options (the network is designed for the side seen through "
                           "the line, and\n"
                           "every design is rounded and scored with that side; the line's figures "
                           "for the ideal\n"
                           "design come before the table):\n"),
                 {"Standard-value options:\n", std::move(series), {}},
                 OutputGroup(a.output, "table (default) or json")},
  };
}

}  // namespace

CommandOptions StandardCommandOptions() { return Declared(Bind); }

std::string StandardHelp() {
  return "Usage: corvantile-cli standard [OPTIONS]\n"
         "\n"
         "Designs the network as 'corvantile-cli design' does, then builds it from standard\n"
         "part values three ways: each part at its nearest standard value (on a logarithmic\n"
         "scale); the best combination of each part's nearest value and the two on each side\n"
         "(125 networks for a Pi or Tee, 25 for an L), best return loss at the design\n"
         "frequency, ties to the smaller largest part voltage; and, for a Pi or Tee, each\n"
         "element fixed first at its nearest value with the design re-solving the others,\n"
         "which are then rounded too. Each is shown with its return loss, VSWR, 2:1 bandwidth\n"
         "and attenuation at 2f0 and 3f0. With --load-file or --source-file these come from\n"
         "the measured data over the sweep cut to the file's band, a harmonic beyond it\n"
         "\"not measured\" (null in JSON). With --pairs, every element is also built from\n"
         "up to two standard parts (capacitors in parallel, inductors in series, each part\n"
         "from a decade below the value up to it): the best combination of pairs (every\n"
         "pair of an L; for a Pi or Tee the last element's every pair with the 41 totals\n"
         "nearest the others' values), shown with its figures and its count of\n"
         "parts; with --trimmer, one capacitor from a fixed standard part (or none) beside\n"
         "a trimmer, the fixed value and the trimmer's setting chosen for the best match.\n" +
         OptionsHelp(StandardCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "\n"
         "Examples:\n"
         "  corvantile-cli standard\n"
         "  corvantile-cli standard --family tee --series-capacitor E12 --format json\n"
         "  corvantile-cli standard --pairs --trimmer 2p:10p\n";
}

int RunStandardCommand(std::span<const std::string_view> arguments, std::ostream& out,
                       std::ostream& err) {
  StandardArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << StandardHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const DesignRequest& design = a.design;
  const StandardChoice& choice = a.choice;
  const OutputRequest& output = a.output;
  const LossOptions& losses = a.losses;

  std::string format;
  if (!ChooseFormat(output, kStandardFormats, format, error)) return Refuse(err, error);

  DesignModel design_model;
  std::vector<std::string> notes;
  const bool built = BuildDesignModel(design, design_model, error, notes, &losses);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << note << '\n';
  if (!built) return Refuse(err, error);

  const LossModel model = PartLosses(design_model);
  const LineRequest lines = TakeDesignLine(design_model, a.lines);
  // A feedline between the network and a side: every design is made and scored through it.
  RunState state = design_model.state();
  MeasuredDesign measured = MeasuredDesignOf(design_model);
  LineSetup line;
  if (lines.Any() && !ApplyLineRequest(lines, state, measured, line, error)) {
    return Refuse(err, error);
  }
  const StandardSolutions s =
      lines.Any()
          ? SolveStandardValues(state, choice, model, Compensating(design_model), measured.Sides())
          : StandardValuesOf(design_model, choice);
  std::optional<StandardPairs> pairs;
  if (a.pairs || a.trimmer) {
    PairChoice pairChoice;
    pairChoice.series = choice;
    pairChoice.trimmer = a.trimmer;
    pairs = lines.Any() ? SolveStandardPairs(state, pairChoice, model, Compensating(design_model),
                                             measured.Sides())
                        : StandardPairsOf(design_model, pairChoice);
  }
  // The measured sides as their files give them, not as seen through --line.
  const MeasuredDesign& shown = lines.Any() ? line.shown : measured;
  if (s.problem != CircuitProblem::None) {
    err << "corvantile-cli: standard: " << CircuitProblemText(s.problem) << '\n';
    return kExitImpossibleDesign;
  }
  std::ostringstream text;
  if (format == "json") {
    Json o;
    o["inductor_series"] = SeriesName(choice.inductors);
    o["capacitor_series"] = SeriesName(choice.capacitors);
    if (losses.given || LossesSwitchedOn(design_model.settings().losses))
      o["part_q"] = CircuitQText(s.ideal.circuit, model);
    if (shown.Any()) o["measured"] = MeasuredJson(shown);
    if (lines.Any()) o["line"] = LineJson(line, s.ideal.circuit, measured.Sides());
    o["ideal"] = DesignJson(s.ideal);
    o["nearest"] = DesignJson(s.nearest);
    o["best"] = DesignJson(s.best);
    Json fixed = Json::object();
    for (const FixedFirstDesign& f : s.fixedFirst) {
      const std::string key = "element_" + std::to_string(f.element);
      fixed[key] = f.possible ? DesignJson(f.design) : Json{{"possible", false}};
    }
    o["fixed_first"] = std::move(fixed);
    o["closest_fixed_first"] = s.closestFixedFirst;
    if (pairs) {
      o["pairs"] = PairsJson(*pairs);
      if (pairs->trimmed) o["trimmed"] = TrimmedJson(*pairs->trimmed, *a.trimmer);
    }
    text << JsonLine(o);
    return Deliver(text.str(), output, out, err);
  }
  text << "Standard values: inductors " << SeriesName(choice.inductors) << ", capacitors "
       << SeriesName(choice.capacitors) << "\n";
  if (losses.given) text << "Lossy parts: " << CircuitQText(s.ideal.circuit, model) << "\n";
  text << MeasuredLines(shown, s.ideal.circuit.designFrequency);
  if (lines.Any()) text << LineReport(line, s.ideal.circuit, measured.Sides());
  text << "\n";
  TableRow(text, "Ideal design", s.ideal);
  TableRow(text, "Nearest standard values", s.nearest);
  TableRow(text, "Best combination of neighbouring values", s.best);
  for (const FixedFirstDesign& f : s.fixedFirst) {
    const std::string name = "Element " + std::to_string(f.element) + " fixed first";
    if (f.possible) {
      TableRow(text, name, f.design);
    } else {
      text << name << ": no network can be designed around its standard value\n";
    }
  }
  if (s.closestFixedFirst != 0) {
    text << "Fixed first, element " << s.closestFixedFirst << " lands closest.\n";
  }
  if (pairs) {
    PairsRows(text, *pairs, SeriesName(choice.inductors), SeriesName(choice.capacitors));
    if (pairs->trimmed) TrimmedRows(text, *pairs->trimmed, *a.trimmer);
  }
  return Deliver(text.str(), output, out, err);
}

}  // namespace corvantile::cli
