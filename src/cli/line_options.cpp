#include "cli/line_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
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

// What a file seen through a line is written against: its port's own real reference, or 50
// ohms for a field solver's reactive one.
double FileReference(const TouchstonePort& port) {
  return port.ReferenceImpedance() > 0.0 ? port.ReferenceImpedance() : 50.0;
}

// A number in the C locale's form, then what follows it.
bool LeadingNumber(std::string_view text, double& value, std::string_view& rest) {
  const char* const end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || !std::isfinite(value)) return false;
  rest = std::string_view(ptr, static_cast<std::size_t>(end - ptr));
  return true;
}

// "30", "30m", "98.4ft" -> metres.
bool ReadLength(std::string_view text, double& metres) {
  std::string_view rest;
  if (!LeadingNumber(text, metres, rest)) return false;
  if (rest == "ft") {
    metres *= kMetresPerFoot;
  } else if (!rest.empty() && rest != "m") {
    return false;
  }
  return metres > 0.0;
}

// "10M", "3.6MHz", "500k", "1.2G", "7000000" -> hertz.
bool ReadHertz(std::string_view text, double& hertz) {
  std::string_view rest;
  if (!LeadingNumber(text, hertz, rest)) return false;
  if (rest.size() >= 2 && rest.substr(rest.size() - 2) == "Hz") rest.remove_suffix(2);
  if (rest == "k") {
    hertz *= 1e3;
  } else if (rest == "M") {
    hertz *= 1e6;
  } else if (rest == "G") {
    hertz *= 1e9;
  } else if (!rest.empty()) {
    return false;
  }
  return hertz > 0.0;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string CableNames() {
  std::string names;
  for (const CableType& cable : CableTable()) {
    if (!names.empty()) names += ", ";
    names += cable.name;
  }
  return names;
}

// "30 m", "98.4 ft": the length as it was given.
std::string LengthText(std::string_view text) {
  std::string_view rest = text;
  double value = 0.0;
  LeadingNumber(text, value, rest);
  const std::string number(text.substr(0, text.size() - rest.size()));
  return number + (rest == "ft" ? " ft" : " m");
}

// "-0.000" reads as "0.000".
std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string OhmsText(Complex z) {
  if (!std::isfinite(z.real()) || !std::isfinite(z.imag())) return "open";
  return Fixed(z.real(), 2) + (z.imag() < 0.0 ? " - j" : " + j") + Fixed(std::abs(z.imag()), 2) +
         " ohms";
}

std::string VswrText(double vswr) {
  return std::isfinite(vswr) && vswr < 1e6 ? Fixed(vswr, 2) : "above 1000000";
}

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

// "measured:open.s1p:short.s1p:30": the line fitted to its open and short measurements at the
// open file's frequencies that the short file's band covers.
bool MeasuredLine(const std::string& what, const std::vector<std::string_view>& parts,
                  LineChoice& choice, std::string& error) {
  double metres = 0.0;
  if (!ReadLength(parts[3], metres)) {
    return Refuse(error, what + ": " + Quoted(parts[3]) + " is not a length (30, 30m, 98ft)");
  }
  const TouchstoneRead open = ReadTouchstoneFile(std::string(parts[1]));
  if (!open.Ok()) return Refuse(error, what + ": " + open.error);
  const TouchstoneRead shorted = ReadTouchstoneFile(std::string(parts[2]));
  if (!shorted.Ok()) return Refuse(error, what + ": " + shorted.error);
  const TouchstonePort openPort(open.data, 1), shortPort(shorted.data, 1);
  std::vector<double> hertz;
  for (const double f : openPort.Frequencies()) {
    if (shortPort.Covers(f)) hertz.push_back(f);
  }
  std::vector<Complex> zOpen, zShort;
  openPort.Impedances(hertz, zOpen);
  shortPort.Impedances(hertz, zShort);
  const std::vector<LineMeasurementPoint> points = CharacteriseLine(hertz, zOpen, zShort);
  const std::optional<FittedLine> fitted = FitMeasuredLine(points, metres, error);
  if (!fitted) return Refuse(error, what + ": " + error);
  choice.line = fitted->line;
  choice.description = LengthText(parts[3]) + " of line measured open and short";
  choice.source = "open and short measurements " + open.data.name + " and " + shorted.data.name;
  choice.nominalImpedance = fitted->impedance;
  choice.velocityFactor = fitted->velocityFactor;
  return true;
}

}  // namespace

bool ParseLineChoice(std::string_view option, std::string_view text, LineChoice& choice,
                     std::string& error) {
  const std::vector<std::string_view> parts = Split(text, ':');
  const std::string what = std::string(option) + ": " + Quoted(text);
  double metres = 0.0;
  if (parts.size() == 2) {
    const CableType* cable = FindCable(parts[0]);
    if (cable == nullptr) {
      return Refuse(error, std::string(option) + ": no cable " + Quoted(parts[0]) + " (" +
                               CableNames() + ")");
    }
    if (!ReadLength(parts[1], metres)) {
      return Refuse(error, what + ": " + Quoted(parts[1]) + " is not a length (30, 30m, 98ft)");
    }
    choice.line = cable->Line(metres);
    choice.description = LengthText(parts[1]) + " of " + std::string(cable->name);
    choice.source = std::string(cable->datasheet);
    choice.nominalImpedance = cable->impedance;
    choice.velocityFactor = cable->velocityFactor;
    return true;
  }
  if (parts.size() == 4 && parts[0] == "measured") return MeasuredLine(what, parts, choice, error);
  if (parts.size() != 4) {
    return Refuse(error, what + " is not CABLE:LENGTH, Z0:VF:LOSS@FREQ,...:LENGTH or " +
                             "measured:OPEN.s1p:SHORT.s1p:LENGTH");
  }
  double z0 = 0.0, vf = 0.0;
  std::string_view rest;
  if (!LeadingNumber(parts[0], z0, rest) || !rest.empty() || !(z0 > 0.0)) {
    return Refuse(error, what + ": " + Quoted(parts[0]) + " is not an impedance above 0");
  }
  if (!LeadingNumber(parts[1], vf, rest) || !rest.empty() || !(vf > 0.0) || vf > 1.0) {
    return Refuse(error, what + ": the velocity factor " + Quoted(parts[1]) +
                             " is not above 0 and at most 1");
  }
  if (!ReadLength(parts[3], metres)) {
    return Refuse(error, what + ": " + Quoted(parts[3]) + " is not a length (30, 30m, 98ft)");
  }
  LossFit fit;
  std::string_view losses = parts[2];
  if (losses != "0") {
    LossLength per = LossLength::Per100Metres;
    if (losses.size() > 6 && losses.substr(losses.size() - 6) == "/100ft") {
      per = LossLength::Per100Feet;
      losses.remove_suffix(6);
    } else if (losses.size() > 5 && losses.substr(losses.size() - 5) == "/100m") {
      losses.remove_suffix(5);
    }
    std::vector<LossPoint> points;
    for (const std::string_view figure : Split(losses, ',')) {
      const std::size_t at = figure.find('@');
      LossPoint point;
      if (at == std::string_view::npos ||
          !LeadingNumber(figure.substr(0, at), point.dbPer100, rest) || !rest.empty() ||
          !ReadHertz(figure.substr(at + 1), point.hertz)) {
        return Refuse(error, what + ": " + Quoted(figure) + " is not LOSS@FREQ (0.6@10M)");
      }
      points.push_back(point);
    }
    if (points.size() == 1) {
      // One figure: all of it conductor loss, which grows as sqrt(f).
      points.push_back({4.0 * points[0].hertz, 2.0 * points[0].dbPer100});
    }
    const std::optional<LossFit> fitted = FitLoss(points, per, error);
    if (!fitted) return Refuse(error, what + ": " + error);
    fit = *fitted;
  }
  choice.line = TransmissionLine(ConstantsFromLoss(z0, vf, fit), metres);
  choice.description = LengthText(parts[3]) + " of " + ExactNumber(z0) + " ohm line";
  choice.source.clear();
  choice.nominalImpedance = z0;
  choice.velocityFactor = vf;
  return true;
}

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
                                             FileReference(load.port), load.port.FileName());
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
  TouchstoneData seen;
  if (measuredSide) {
    seen = LineSeenData(measuredSide->port, choice.line, LineDirection::Add,
                        FileReference(measuredSide->port), name);
    if (!source) setup.loadAtDesign = measuredSide->port.Impedance(f0);
  } else {
    Termination typed;
    if (TypedTermination(state, source, kTwoPi * f0, typed) != CircuitProblem::None) {
      return Refuse(error, "the " + side + " cannot be seen through the line: it has no " +
                               "positive resistance");
    }
    const auto impedance = [typed](double hertz) {
      return TerminationImpedance(typed, kTwoPi * hertz);
    };
    if (!source) setup.loadAtDesign = impedance(f0);
    seen = LineSeenData(impedance, f0 / 8.0, 8.0 * f0, choice.line, LineDirection::Add,
                        choice.nominalImpedance, name);
  }
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
  const LineChoice& choice = *setup.line;
  const double f0 = circuit.designFrequency;
  const LineFigures figures = LineFiguresOf(setup, circuit, sides);
  const bool atLoad = setup.place == LinePlace::Load;
  const std::string nearName = atLoad ? "network" : "source";
  const std::string farName = atLoad ? "load" : "network";
  const std::string reference = ExactNumber(choice.nominalImpedance);
  text += "Feedline: " + choice.description + ", " +
          (atLoad ? "between the network and the load (the network at the radio end)"
                  : "between the source and the network (the network at the load)") +
          "\n";
  text += "  Z0 " + OhmsText(choice.line.CharacteristicImpedance(f0)) + ", velocity factor " +
          Fixed(choice.velocityFactor, 3) +
          (choice.source.empty() ? std::string() : ", figures of the " + choice.source) + "\n";
  text += "  At the " + nearName + " end: " + OhmsText(figures.nearImpedance) + ", VSWR " +
          VswrText(figures.nearVswr) + " (" + reference + " ohms)\n";
  text += "  At the " + farName + " end: " + OhmsText(figures.farImpedance) + ", VSWR " +
          VswrText(figures.farVswr) + " (" + reference + " ohms)\n";
  text += "  Matched loss " + Fixed(figures.matchedLossDb, 3) + " dB; ";
  if (std::isfinite(figures.lossDb) && figures.wattsOut > 0.0) {
    text += "with this " + farName + " " + Fixed(figures.lossDb, 3) + " dB, the mismatch adds " +
            Fixed(figures.mismatchLossDb, 3) + " dB\n";
    text += "  Of " + Fixed(figures.wattsIn, 1) + " W into the line " + Fixed(figures.wattsOut, 1) +
            " W reach the " + farName + "; the mismatch costs " + Fixed(figures.mismatchWatts, 1) +
            " W\n";
    text += "  Peak voltage on the line: " + Fixed(figures.peakVolts, 1) + " V, " +
            Fixed(figures.peakAtMetres, 2) + " m from the " + nearName + " end\n";
  } else {
    text += "no power reaches the " + farName + "\n";
  }
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
