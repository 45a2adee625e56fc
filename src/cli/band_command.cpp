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
#include "cli/band_options.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/json_output.h"
#include "cli/loss_options.h"
#include "math/design_network.h"

namespace corvantile::cli {
namespace {

constexpr std::array<std::string_view, 3> kBandFormats{"table", "csv", "json"};

int BandFail(std::ostream& err, std::string_view message, int status = kExitUsage) {
  return Fail(err, "band: " + std::string(message), status);
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

std::string_view BoundSideName(BoundSide side) {
  return side == BoundSide::Load ? "load" : side == BoundSide::Source ? "source" : "";
}

constexpr std::string_view kNoBound = "no Bode-Fano bound: source and load are resistive";

struct RealParts {
  std::optional<LossModel> losses;
  std::vector<BandLosses> perDesign;
  std::vector<StandardLadder> standard;  // one per design with --standard best
  StandardChoice standardChoice;
  std::vector<BandYield> yields;  // one per design with --tolerance
  double tolerance = 0.0;
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

std::string BandJson(const BandMatch& m, const BandMatchOptions& o, const RealParts& real,
                     const MeasuredDesign& measured) {
  Json bands = Json::array();
  for (const FrequencyBand& b : o.bands) {
    bands.push_back({{"from_hz", ComputedNumber(b.from)}, {"to_hz", ComputedNumber(b.to)}});
  }
  Json bound;
  bound["return_loss_db"] = OptionalNumber(m.bound.ReturnLossDb());
  bound["vswr"] = OptionalNumber(m.bound.Vswr());
  if (m.bound.limitedBy == BoundSide::None) {
    bound["limited_by"] = nullptr;
    bound["model"] = nullptr;
    bound["note"] = kNoBound;
  } else {
    const ReactiveModel& side = m.bound.limitedBy == BoundSide::Load ? m.loadModel : m.sourceModel;
    bound["limited_by"] = BoundSideName(m.bound.limitedBy);
    bound["model"] = ReactiveModelText(side);
  }
  Json designs = Json::array();
  for (std::size_t k = 0; k < m.designs.size(); ++k) {
    const BandDesign& d = m.designs[k];
    Json elements = Json::array();
    for (const LadderElement& e : d.circuit.elements) {
      Json element;
      element["connection"] = e.shunt ? "shunt" : "series";
      element["part"] = PartName(e.part);
      element["value"] = ComputedNumber(e.part.value);
      elements.push_back(std::move(element));
    }
    Json design;
    design["element_count"] = d.circuit.elements.size();
    design["elements"] = std::move(elements);
    design["worst_return_loss_db"] = ComputedNumber(d.figures.worstReturnLossDb);
    design["mean_return_loss_db"] = ComputedNumber(d.figures.meanReturnLossDb);
    design["worst_vswr"] = ComputedNumber(d.figures.worstVswr);
    design["worst_frequency_hz"] = ComputedNumber(d.figures.worstFrequency);
    design["bode_fano_return_loss_db"] = OptionalNumber(d.boundReturnLossDb);
    design["distance_from_bound_db"] = OptionalNumber(d.distanceFromBoundDb);
    if (o.harmonic) design["attenuation_db"] = OptionalNumber(d.harmonicAttenuationDb);
    if (real.losses) {
      const BandLosses& l = real.perDesign[k];
      design["efficiency"] = ComputedNumber(l.lowestEfficiency);
      design["mean_efficiency"] = ComputedNumber(l.meanEfficiency);
      design["hottest_part_watts"] = ComputedNumber(l.hottestPartWatts);
      design["hottest_part"] = l.hottestPart;
    }
    if (!real.standard.empty()) {
      const StandardLadder& st = real.standard[k];
      Json values = Json::array();
      for (const LadderElement& e : st.circuit.elements) {
        values.push_back(ComputedNumber(e.part.value));
      }
      Json standard;
      standard["values"] = std::move(values);
      standard["worst_return_loss_db"] = ComputedNumber(st.figures.worstReturnLossDb);
      standard["mean_return_loss_db"] = ComputedNumber(st.figures.meanReturnLossDb);
      standard["worst_vswr"] = ComputedNumber(st.figures.worstVswr);
      design["standard"] = std::move(standard);
    }
    if (!real.yields.empty()) {
      const BandYield& y = real.yields[k];
      Json yield;
      yield["of"] = real.standard.empty() ? "design" : "standard";
      yield["tolerance"] = ComputedNumber(real.tolerance);
      yield["builds"] = y.builds;
      yield["vswr_1_5"] = ComputedNumber(y.vswr15);
      yield["vswr_2"] = ComputedNumber(y.vswr2);
      yield["median_worst_return_loss_db"] = ComputedNumber(y.medianWorstReturnLossDb);
      design["yield"] = std::move(yield);
    }
    designs.push_back(std::move(design));
  }
  Json json;
  json["bands"] = std::move(bands);
  json["points_per_band"] = o.pointsPerBand;
  json["centre_frequency_hz"] = ComputedNumber(m.centreFrequency);
  json["topology"] = LadderFamilyName(o.family);
  if (o.harmonic) {
    json["attenuation"] = {{"harmonic", o.harmonic->harmonic},
                           {"db", ComputedNumber(o.harmonic->attenuationDb)}};
  }
  json["bode_fano"] = std::move(bound);
  if (measured.Any()) json["measured"] = MeasuredJson(measured);
  json["designs"] = std::move(designs);
  return JsonLine(json);
}

std::string Csv(const BandMatch& m, const BandMatchOptions& o, const RealParts& real) {
  std::ostringstream out;
  out << "element_count,worst_return_loss_db,mean_return_loss_db,worst_vswr,worst_frequency_hz,"
         "bode_fano_return_loss_db,distance_from_bound_db"
      << (o.harmonic ? ",attenuation_db" : "")
      << (real.losses ? ",efficiency,mean_efficiency,hottest_part_watts,hottest_part" : "")
      << (real.standard.empty() ? "" : ",standard_worst_return_loss_db,standard_elements")
      << (real.yields.empty() ? "" : ",yield_vswr_1_5,yield_vswr_2") << ",elements\n";
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
    if (!real.yields.empty()) {
      out << ',' << ExactNumber(real.yields[k].vswr15) << ',' << ExactNumber(real.yields[k].vswr2);
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
      << (real.yields.empty() ? "" : "yield 2:1  ") << "elements from the source\n";
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
    if (!real.yields.empty())
      out << column(FixedNumber(100.0 * real.yields[k].vswr2, 1) + " %", 11);
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

struct BandArguments {
  DesignRequest design;
  BandRequest band;
  OutputRequest output;
  LossOptions losses;
};

CommandOptions Bind(BandArguments& a) {
  OptionGroup band{"Band options:\n", BandSearchOptions(a.band), {}};
  for (OptionDecl& decl : BandFigureOptions(a.band)) band.options.push_back(std::move(decl));
  return {
      .command = "band",
      .groups = {std::move(band),
                 DesignGroup(a.design,
                             "Design options (see corvantile-cli design --help for FORM:R:V; the "
                             "network options\n"
                             "are not used):\n"),
                 LossGroup(a.losses,
                           "Loss options (each design's lowest in-band efficiency and its hottest "
                           "part's watts\n"
                           "with the design power flowing in, its parts lossy by the usual ESR "
                           "model |X|/Q(f);\n"
                           "the search itself is lossless, and --compensate does not apply):\n",
                           CompensateOption::Omitted),
                 OutputGroup(a.output, "table (default), csv or json")},
      // The search is lossless: there is no design to compensate.
      .refused = {{"--compensate", "--compensate does not apply to band"}},
  };
}

}  // namespace

CommandOptions BandCommandOptions() { return Declared(Bind); }

std::string BandHelp() {
  return "Usage: corvantile-cli band --band F1:F2 [--band F3:F4 ...] [OPTIONS]\n"
         "\n"
         "Finds, for every number of elements up to --elements, the lossless ladder (series and\n"
         "shunt elements alternating, each an inductor or a capacitor, either kind first) whose\n"
         "worst return loss over the bands is the best: every arrangement is searched from the\n"
         "single-frequency L, Pi and Tee networks, multi-section L networks and random starts,\n"
         "then refined to the minimax optimum. Each design comes with its worst and mean\n"
         "in-band return loss, its worst VSWR, and its distance from the Bode-Fano bound of the\n"
         "load's (or the source's) R-C, R-L or R-L-C model over the bands: the best constant\n"
         "reflection any lossless network could hold. A resistive pair has no bound.\n"
         "\n"
         "The source and load are given as for 'corvantile-cli design': a typed side's part is\n"
         "the one with its reactance at the design frequency (by default the middle of the\n"
         "bands), and follows frequency as that part does; with --source-file or --load-file\n"
         "that side is the measured impedance at every in-band point, interpolated from the\n"
         "file, and its bound model is the series R-L-C or the parallel R-C-L fitted to the\n"
         "file over the bands (its resistance at the band centre), whichever fits closer.\n"
         "\n"
         "'corvantile-cli export spice|touchstone|csv|bom' takes the same band options and\n"
         "--pick N to write the design of N elements (by default the best).\n" +
         OptionsHelp(BandCommandOptions()) +
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
  BandArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << BandHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const DesignRequest& design = a.design;
  BandRequest& band = a.band;
  const OutputRequest& output = a.output;
  const LossOptions& losses = a.losses;
  std::string format;
  if (!ChooseFormat(output, kBandFormats, format, error)) return BandFail(err, error);
  if (band.options.bands.empty()) return BandFail(err, "give at least one --band F1:F2");
  BandRun run;
  const int status = RunBandSearch(design, band, run, error, err);
  if (status != kExitOk) return BandFail(err, error, status);
  const BandMatch& match = run.match;
  const MeasuredDesign& measured = run.measured;
  const double f0 = run.designFrequency;
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
  if (band.tolerance) {
    real.tolerance = *band.tolerance;
    BandYieldOptions y;
    y.inductorTolerance = y.capacitorTolerance = *band.tolerance;
    y.builds = band.builds;
    for (std::size_t k = 0; k < match.designs.size(); ++k) {
      const LadderCircuit& built =
          real.standard.empty() ? match.designs[k].circuit : real.standard[k].circuit;
      real.yields.push_back(LadderBandYield(built, match.frequencies, y, band.options.sides));
    }
  }
  const std::string text = format == "json"  ? BandJson(match, band.options, real, measured)
                           : format == "csv" ? Csv(match, band.options, real)
                                             : Table(match, band.options, real, measured, f0);
  return Deliver(text, output, out, err);
}

}  // namespace corvantile::cli
