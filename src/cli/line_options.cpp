#include "cli/line_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "analysis/formats/number_text.h"
#include "analysis/formats/touchstone_reader.h"
#include "cli/json_output.h"
#include "state/message_text.h"
#include "units/constants.h"

namespace corvantile::cli {
namespace {

using Complex = std::complex<double>;

bool Refuse(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

std::string Quoted(std::string_view text) { return QuotedValue(text); }

// Enters an impedance at the design frequency into a side of the state as series R + jX.
bool EnterSide(ImpedanceValues& values, Complex z, std::string_view side, std::string& error) {
  const float resistance = static_cast<float>(z.real());
  const float reactance = static_cast<float>(z.imag());
  if (!(resistance > 0.0f) || !std::isfinite(reactance)) {
    return Refuse(error, "the " + std::string(side) + " seen through the line has no positive " +
                             "finite resistance (" + ExactNumber(z.real()) + " ohms)");
  }
  values[EntryForm] = FormSeriesReactance;
  values[EntryFormCopy] = FormSeriesReactance;
  values[SeriesR] = resistance;
  values[SeriesX] = reactance;
  return true;
}

struct OptionInfo {
  std::string_view name, value, help;
};
constexpr OptionInfo kLineOptions[] = {
    {"--line", "LINE",
     "a feedline between the network and the load (or the source, see\n"
     "--line-at): CABLE:LENGTH (RG-213:30, RG-58:100ft) or\n"
     "Z0:VF:LOSS@FREQ,...:LENGTH with the matched loss in dB per 100 m\n"
     "(add /100ft after the figures for per 100 ft; 0 for no loss):\n"
     "50:0.66:0.6@10M,2.2@100M/100ft:30; or measured:OPEN:SHORT:LENGTH,\n"
     "the line fitted to .s1p files of it measured with its far end\n"
     "open and shorted"},
    {"--line-at", "SIDE",
     "load (default): the line runs from the network to the load, the\n"
     "network sits at the radio end; source: the line runs from the\n"
     "source to the network, the network sits at the antenna"},
    {"--load-file-remove-line", "LINE",
     "the --load-file was measured through LINE: the load is the far\n"
     "end's impedance, the line taken away"},
    {"--load-file-add-line", "LINE", "the load is the --load-file's impedance seen through LINE"},
};

}  // namespace

OptionGroup LineGroup(LineRequest& request, std::string heading) {
  OptionGroup group;
  group.heading = std::move(heading);
  for (const OptionInfo& info : kLineOptions) {
    std::optional<std::string>* target = info.name == "--line"      ? &request.line
                                         : info.name == "--line-at" ? &request.at
                                         : info.name == "--load-file-add-line"
                                             ? &request.addToLoad
                                             : &request.removeFromLoad;
    group.options.push_back({.name = info.name,
                             .value_name = info.value,
                             .help = info.help,
                             .read = [target](std::string_view value, std::string&) {
                               *target = std::string(value);
                               return true;
                             }});
  }
  group.notes = "  Cables: " + CableNames() + ".\n";
  return group;
}

LineRequest TakeDesignLine(DesignModel& model, const LineRequest& given) {
  LineRequest request = given;
  const std::optional<FeedlineSetting> feedline = model.Feedline();
  if (!feedline) return request;
  model.RemoveFeedline();
  if (!request.line) {
    request.line = feedline->line;
    if (!request.at) request.at = feedline->atSource ? "source" : "load";
  }
  return request;
}

bool ApplyLineRequest(const LineRequest& request, RunState& state, MeasuredDesign& measured,
                      LineSetup& setup, std::string& error) {
  setup = LineSetup{};
  const double f0 = static_cast<double>(state.NetValues[Frequency]);
  setup.designFrequency = f0;
  if (request.addToLoad && request.removeFromLoad) {
    return Refuse(error, "give --load-file-add-line or --load-file-remove-line, not both");
  }
  if (request.addToLoad || request.removeFromLoad) {
    const bool add = static_cast<bool>(request.addToLoad);
    const std::string option = add ? "--load-file-add-line" : "--load-file-remove-line";
    if (!measured.load) return Refuse(error, option + " needs --load-file");
    LineChoice choice;
    if (!ParseLineChoice(option, add ? *request.addToLoad : *request.removeFromLoad, choice,
                         error)) {
      return false;
    }
    setup.loadFileDirection = add ? LineDirection::Add : LineDirection::Remove;
    MeasuredSide& load = *measured.load;
    const TouchstoneData data = LineSeenData(load.port, choice.line, setup.loadFileDirection,
                                             SeenReference(load.port), load.port.FileName());
    load.port = TouchstonePort(data, 1);
    load.atDesign = load.port.Impedance(f0);
    if (!EnterSide(state.LoadValues, load.atDesign, "load", error)) return false;
    setup.loadFileLine = std::move(choice);
  }
  setup.shown = measured;
  if (request.at && !request.line) return Refuse(error, "--line-at needs --line");
  if (request.at && *request.at != "load" && *request.at != "source") {
    return Refuse(error, "--line-at: " + Quoted(*request.at) + " is not load or source");
  }
  if (!request.line) return true;
  LineChoice choice;
  if (!ParseLineChoice("--line", *request.line, choice, error)) return false;
  setup.place = request.at && *request.at == "source" ? LinePlace::Source : LinePlace::Load;
  const bool source = setup.place == LinePlace::Source;
  const std::string side = source ? "source" : "load";
  std::optional<MeasuredSide>& measuredSide = source ? measured.source : measured.load;
  const std::string name = (measuredSide ? measuredSide->port.FileName() : "the " + side) +
                           " through " + choice.description;
  std::function<Complex(double)> typedImpedance;
  if (measuredSide) {
    if (!source) setup.loadAtDesign = measuredSide->port.Impedance(f0);
  } else {
    Termination typed;
    if (TypedTermination(state, source, kTwoPi * f0, typed) != CircuitProblem::None) {
      return Refuse(error, "the " + side + " cannot be seen through the line: it has no " +
                               "positive resistance");
    }
    typedImpedance = [typed](double hertz) { return TerminationImpedance(typed, kTwoPi * hertz); };
    if (!source) setup.loadAtDesign = typedImpedance(f0);
  }
  const TouchstoneData seen =
      SideSeenThroughLine(measuredSide ? &measuredSide->port : nullptr, typedImpedance, f0,
                          choice.line, choice.nominalImpedance, name);
  TouchstonePort port(seen, 1);
  const Complex atDesign = port.Impedance(f0);
  if (!EnterSide(source ? state.SourceValues : state.LoadValues, atDesign, side, error)) {
    return false;
  }
  measuredSide = MeasuredSide{std::move(port), name, atDesign};
  setup.line = std::move(choice);
  return true;
}

LineFigures LineFiguresOf(const LineSetup& setup, const MatchingCircuit& circuit,
                          const MeasuredSides& sides) {
  const LineChoice& choice = *setup.line;
  const double f0 = circuit.designFrequency;
  // Source side: the far end is the network's input with the load on it.
  const Complex far = setup.place == LinePlace::Load
                          ? setup.loadAtDesign
                          : EvaluateResponse(circuit, f0, sides).inputImpedance;
  return LineFiguresAt(choice.line, f0, far, circuit.designPower, choice.nominalImpedance);
}

std::string LineReport(const LineSetup& setup, const MatchingCircuit& circuit,
                       const MeasuredSides& sides) {
  std::string text = LoadFileLineText(setup);
  if (!setup.line) return text;
  text += LineFiguresText(*setup.line, setup.place, circuit.designFrequency,
                          LineFiguresOf(setup, circuit, sides));
  return text;
}

Json LineJson(const LineSetup& setup, const MatchingCircuit& circuit, const MeasuredSides& sides) {
  Json json = Json::object();
  if (setup.loadFileLine) {
    json["load_file_line"] = setup.loadFileLine->description;
    json["load_file_line_was"] =
        setup.loadFileDirection == LineDirection::Add ? "added" : "removed";
  }
  if (!setup.line) return json;
  const LineChoice& choice = *setup.line;
  const LineFigures figures = LineFiguresOf(setup, circuit, sides);
  const Complex z0 = choice.line.CharacteristicImpedance(circuit.designFrequency);
  json["line"] = choice.description;
  json["at"] = setup.place == LinePlace::Load ? "load" : "source";
  json["datasheet"] = choice.source;
  json["length_m"] = ComputedNumber(choice.line.Length());
  json["z0_resistance_ohm"] = ComputedNumber(z0.real());
  json["z0_reactance_ohm"] = ComputedNumber(z0.imag());
  json["velocity_factor"] = ComputedNumber(choice.velocityFactor);
  // A side with no finite impedance (an open end) has null figures.
  json["near_resistance_ohm"] = ComputedNumber(figures.nearImpedance.real());
  json["near_reactance_ohm"] = ComputedNumber(figures.nearImpedance.imag());
  json["near_vswr"] = ComputedNumber(figures.nearVswr);
  json["far_resistance_ohm"] = ComputedNumber(figures.farImpedance.real());
  json["far_reactance_ohm"] = ComputedNumber(figures.farImpedance.imag());
  json["far_vswr"] = ComputedNumber(figures.farVswr);
  json["matched_loss_db"] = ComputedNumber(figures.matchedLossDb);
  json["loss_db"] = ComputedNumber(figures.lossDb);
  json["mismatch_loss_db"] = ComputedNumber(figures.mismatchLossDb);
  json["watts_in"] = ComputedNumber(figures.wattsIn);
  json["watts_out"] = ComputedNumber(figures.wattsOut);
  json["mismatch_watts"] = ComputedNumber(figures.mismatchWatts);
  json["peak_volts"] = ComputedNumber(figures.peakVolts);
  json["peak_at_m"] = ComputedNumber(figures.peakAtMetres);
  return json;
}

std::string LoadFileLineText(const LineSetup& setup) {
  if (!setup.loadFileLine) return "";
  return "Load file: " + setup.loadFileLine->description +
         (setup.loadFileDirection == LineDirection::Add
              ? " added (the load is the file's impedance seen through it)\n"
              : " removed (the load is the impedance at its far end)\n");
}

}  // namespace corvantile::cli
