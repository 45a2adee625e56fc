#include "model/design_answers.h"

#include <algorithm>
#include <array>
#include <complex>
#include <sstream>
#include <utility>

#include "analysis/circuits/part_model_text.h"
#include "analysis/formats/number_text.h"

namespace corvantile {
namespace {

// A ladder with less worst return loss than this over the bands matches nothing.
constexpr double kLeastReturnLossDb = 0.01;

}  // namespace

DesignedState Designed(const DesignModel& model) {
  DesignedState designed{model.state(), DesignOutcome::NotDesigned};
  designed.outcome = RunDesignPass(designed.state);
  return designed;
}

bool LossesSwitchedOn(const std::optional<LossSettings>& losses) {
  if (!losses) return false;
  bool lossy = IsLossy(PartQ{losses->inductorQ, 0.0}) || IsLossy(PartQ{losses->capacitorQ, 0.0});
  for (const std::optional<double>& q : losses->elementQ) {
    lossy = lossy || (q && IsLossy(PartQ{*q, 0.0}));
  }
  return lossy || losses->models.Any();
}

LossModel PartLosses(const DesignModel& model) {
  const std::optional<LossSettings>& losses = model.settings().losses;
  return LossesSwitchedOn(losses) ? LossModelOf(losses, model.PartFiles()) : IdealLossModel();
}

bool Compensating(const DesignModel& model) {
  const std::optional<LossSettings>& losses = model.settings().losses;
  return losses && losses->compensate;
}

Network NetworkOf(const DesignModel& model) {
  Network network;
  network.designed = Designed(model);
  network.losses = PartLosses(model);
  network.sides = model.Sides();
  const CircuitBuild build = BuildCircuit(network.designed.state, network.designed.outcome);
  network.problem = build.problem;
  if (build.problem != CircuitProblem::None) return network;
  network.ideal = build.circuit;
  network.built = build.circuit;
  if (Compensating(model)) {
    network.compensation = CompensateLosses(build.circuit, network.losses,
                                            network.designed.state.NetValues[DesignDriver]);
    network.built = network.compensation->circuit;
  }
  return network;
}

SweepSpan SpanOf(const DesignModel& model, const std::optional<SweepSpan>& chosen,
                 std::vector<std::string>* notes) {
  SweepSpan span =
      chosen ? *chosen : DefaultSweepSpan(static_cast<double>(model.state().NetValues[Frequency]));
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::shared_ptr<const TouchstonePort> port = model.SeenPort(side);
    if (!port) continue;
    const std::string band = " (" + port->FileName() + " covers " +
                             EngineeringText(port->From(), "Hz") + " to " +
                             EngineeringText(port->To(), "Hz") + ")";
    if (span.from < port->From()) {
      if (chosen && notes != nullptr) {
        notes->push_back("the sweep starts at " + EngineeringText(port->From(), "Hz") + ", not " +
                         EngineeringText(span.from, "Hz") + band);
      }
      span.from = port->From();
    }
    if (span.to > port->To()) {
      if (chosen && notes != nullptr) {
        notes->push_back("the sweep ends at " + EngineeringText(port->To(), "Hz") + ", not " +
                         EngineeringText(span.to, "Hz") + band);
      }
      span.to = port->To();
    }
  }
  return span;
}

SweepAnswer SweepOf(const Network& network, const SweepSpan& span) {
  SweepAnswer answer;
  answer.span = span;
  if (network.problem != CircuitProblem::None) {
    answer.problem = std::string(CircuitProblemText(network.problem));
    return answer;
  }
  answer.problem = MeasuredSpanProblem(span, network.sides);
  if (!answer.problem.empty()) return answer;
  SweepResponse(network.built, span, network.sides, answer.points, network.losses);
  answer.summary =
      SummarizeSweep(network.built, span, network.sides, network.losses, answer.points);
  if (network.sides.Covers(network.built.designFrequency)) {
    answer.atDesign = EvaluateResponse(network.built, network.built.designFrequency, network.sides,
                                       network.losses);
  }
  return answer;
}

report::LossFigures LossFiguresOf(const Network& network, bool compensate) {
  return report::ComputeLossFigures(network.ideal, network.losses, compensate,
                                    network.designed.state.NetValues[DesignDriver]);
}

StandardSolutions StandardValuesOf(const DesignModel& model, const StandardChoice& choice) {
  return SolveStandardValues(model.state(), choice, PartLosses(model), Compensating(model),
                             model.Sides());
}

StandardPairs StandardPairsOf(const DesignModel& model, const PairChoice& choice) {
  return SolveStandardPairs(model.state(), choice, PartLosses(model), Compensating(model),
                            model.Sides());
}

StandardSeries SeriesOfCount(int count) {
  constexpr StandardSeries kAll[] = {StandardSeries::E3,  StandardSeries::E6,  StandardSeries::E12,
                                     StandardSeries::E24, StandardSeries::E48, StandardSeries::E96,
                                     StandardSeries::E192};
  for (StandardSeries series : kAll) {
    if (SeriesCount(series) == count) return series;
  }
  return StandardSeries::E12;
}

ToleranceRequest ToleranceOf(const DesignModel& model, const ToleranceSettings& settings,
                             const std::optional<SweepSpan>& envelope) {
  const Network network = NetworkOf(model);
  if (network.problem != CircuitProblem::None) {
    ToleranceRequest request;
    request.noNetworkReason = std::string(CircuitProblemText(network.problem));
    return request;
  }
  const std::shared_ptr<const TouchstonePort> source = model.SeenPort(MeasuredSideKind::Source);
  const std::shared_ptr<const TouchstonePort> load = model.SeenPort(MeasuredSideKind::Load);
  ToleranceRequest request = ToleranceOfCircuit(network.built, network.losses,
                                                {source.get(), load.get()}, settings, envelope);
  request.measuredSource = source;
  request.measuredLoad = load;
  return request;
}

ToleranceRequest ToleranceOfCircuit(const MatchingCircuit& designed, const LossModel& losses,
                                    const MeasuredSides& sides, const ToleranceSettings& settings,
                                    const std::optional<SweepSpan>& envelope) {
  ToleranceRequest request;
  request.hasNetwork = true;
  request.circuit = designed;
  StandardChoice choice;
  choice.inductors = SeriesOfCount(settings.inductorSeries);
  choice.capacitors = SeriesOfCount(settings.capacitorSeries);
  if (settings.standard == ToleranceStandard::Nearest) {
    request.circuit = NearestStandardCircuit(request.circuit, choice);
  } else if (settings.standard == ToleranceStandard::Best) {
    request.circuit = BestStandardCircuit(request.circuit, choice, losses);
  }
  ToleranceOptions& options = request.options;
  options.tolerance =
      DefaultTolerances(request.circuit, settings.inductorTolerance, settings.capacitorTolerance);
  options.distribution =
      settings.normal ? ToleranceDistribution::Normal : ToleranceDistribution::Uniform;
  options.builds = settings.builds;
  options.seed = settings.seed;
  options.band = settings.band;
  options.losses = losses;
  SweepSpan span = envelope ? *envelope : DefaultSweepSpan(request.circuit.designFrequency);
  options.sides = sides;
  for (const TouchstonePort* port : {options.sides.source, options.sides.load}) {
    if (port == nullptr) continue;
    for (const double f :
         {request.circuit.designFrequency, settings.band ? (*settings.band)[0] : 0.0,
          settings.band ? (*settings.band)[1] : 0.0}) {
      if (f > 0.0 && !port->Covers(f)) {
        request.hasNetwork = false;
        request.noNetworkReason = port->OutsideBandText(f);
        return request;
      }
    }
    span.from = std::max(span.from, port->From());
    span.to = std::min(span.to, port->To());
  }
  // An envelope over a span that cannot be swept is left out rather than failing the run.
  if (SweepSpanProblem(span).empty()) options.envelope = span;
  return request;
}

ToleranceSettings ToleranceSettingsOf(const DesignModel& model) {
  return model.settings().tolerance.value_or(ToleranceSettings{});
}

Exploration ExplorationOf(const DesignModel& model, ExploreOptions options) {
  options.sides = model.Sides();
  return Explore(model.state(), options);
}

BandAnswer BandOf(const DesignModel& model, BandMatchOptions options) {
  options.sides = model.Sides();
  BandAnswer answer = BandOfState(model.state(), std::move(options));
  answer.measuredSource = model.SeenPort(MeasuredSideKind::Source);
  answer.measuredLoad = model.SeenPort(MeasuredSideKind::Load);
  return answer;
}

BandAnswer BandOfState(const RunState& state, BandMatchOptions options) {
  BandAnswer answer;
  answer.designFrequency = static_cast<double>(state.NetValues[Frequency]);
  answer.bands = options.bands;
  if (options.bands.empty()) {
    answer.problem = "give at least one band";
    return answer;
  }
  answer.problem = BandMatchProblem(options);
  if (!answer.problem.empty()) return answer;
  // The source and load as circuits; the network the design pass made is not used.
  RunState designed = state;
  RunDesignPass(designed);
  const CircuitBuild sides = BuildCircuit(designed, DesignOutcome::Designed);
  if (sides.problem != CircuitProblem::None && sides.problem != CircuitProblem::ShuntShorted) {
    answer.problem = std::string(CircuitProblemText(sides.problem));
    return answer;
  }
  const double power = static_cast<double>(state.NetValues[Power]);
  answer.match = MatchOverBands(sides.circuit.source, sides.circuit.load, answer.designFrequency,
                                power, options);
  answer.searched = true;
  std::erase_if(answer.match.designs, [](const BandDesign& d) {
    return !(d.figures.worstReturnLossDb >= kLeastReturnLossDb);
  });
  if (answer.match.designs.empty() && !answer.match.cancelled) {
    std::string bands;
    for (const FrequencyBand& b : options.bands) {
      if (!bands.empty()) bands += ", ";
      bands += EngineeringText(b.from, "Hz") + " to " + EngineeringText(b.to, "Hz");
    }
    answer.problem = "no ladder of up to " + std::to_string(options.maxElements) +
                     " elements reaches a positive return loss over " + bands;
    if (options.harmonic) {
      answer.problem += " with " + FixedNumber(options.harmonic->attenuationDb, 1) + " dB at " +
                        std::to_string(options.harmonic->harmonic) + "f";
    }
  }
  return answer;
}

namespace {

std::string MeasuredLine(const DesignModel& model, MeasuredSideKind side, double frequency) {
  const std::optional<MeasuredSide>& where = model.Measured(side);
  const std::shared_ptr<const TouchstonePort> port = model.Port(side);
  const std::string_view name = side == MeasuredSideKind::Source ? "Source" : "Load";
  if (!where || !port || !port->Covers(frequency)) return {};
  return report::MeasuredSideLine(name, port->FileName(), where->port, port->Impedance(frequency),
                                  frequency) +
         '\n';
}

}  // namespace

std::optional<FeedlineAnswer> FeedlineOf(const DesignModel& model) {
  const std::shared_ptr<const LineChoice> choice = model.FeedlineChoice();
  if (!choice || !model.Feedline()) return std::nullopt;
  const Network network = NetworkOf(model);
  if (network.problem != CircuitProblem::None) return std::nullopt;
  FeedlineAnswer answer;
  answer.choice = choice;
  answer.place =
      model.FeedlineSide() == MeasuredSideKind::Source ? LinePlace::Source : LinePlace::Load;
  const double f0 = network.built.designFrequency;
  answer.frequency = f0;
  std::complex<double> far;
  if (answer.place == LinePlace::Load) {
    const std::optional<std::complex<double>> load = model.FarEndImpedance(f0);
    if (!load) return std::nullopt;
    far = *load;
  } else {
    if (!network.sides.Covers(f0)) return std::nullopt;
    far = EvaluateResponse(network.built, f0, network.sides, network.losses).inputImpedance;
  }
  answer.figures =
      LineFiguresAt(choice->line, f0, far, network.built.designPower, choice->nominalImpedance);
  return answer;
}

std::string ReportTextOf(const DesignModel& model) {
  const DesignedState designed = Designed(model);
  const double frequency = static_cast<double>(designed.state.NetValues[Frequency]);
  std::string text = report::DesignReport(designed.state, designed.outcome);
  text += MeasuredLine(model, MeasuredSideKind::Source, frequency);
  text += MeasuredLine(model, MeasuredSideKind::Load, frequency);
  if (const std::optional<FeedlineAnswer> line = FeedlineOf(model)) {
    text += LineFiguresText(*line->choice, line->place, line->frequency, line->figures);
  }
  if (LossesSwitchedOn(model.settings().losses)) {
    text += report::LossesBlock(designed.state, designed.outcome, PartLosses(model),
                                Compensating(model));
  }
  return text;
}

report::ReportInputs ReportOf(const DesignModel& model, std::vector<std::string> toleranceLines,
                              std::vector<std::string> bandLines) {
  report::ReportInputs inputs;
  const Network network = NetworkOf(model);
  inputs.state = network.designed.state;
  inputs.outcome = network.designed.outcome;
  if (LossesSwitchedOn(model.settings().losses)) inputs.losses = network.losses;
  inputs.compensate = Compensating(model);
  inputs.measuredSource = model.Measured(MeasuredSideKind::Source);
  inputs.measuredLoad = model.Measured(MeasuredSideKind::Load);
  inputs.toleranceLines = std::move(toleranceLines);
  inputs.bandLines = std::move(bandLines);
  if (network.problem == CircuitProblem::None) {
    SweepAnswer sweep = SweepOf(network, SpanOf(model, std::nullopt));
    if (sweep.problem.empty()) {
      inputs.plot = report::ReportPlot{sweep.span, std::move(sweep.points), sweep.atDesign};
    }
    inputs.standard = StandardValuesOf(model);
  }
  if (const std::optional<FeedlineAnswer> line = FeedlineOf(model)) {
    std::istringstream text(
        LineFiguresText(*line->choice, line->place, line->frequency, line->figures));
    for (std::string each; std::getline(text, each);) inputs.feedlineLines.push_back(each);
  }
  return inputs;
}

}  // namespace corvantile
