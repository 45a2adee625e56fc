#include "analysis/circuits/line_choice.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/formats/number_text.h"
#include "analysis/formats/touchstone_reader.h"
#include "state/message_text.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

bool Refuse(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

std::string Quoted(std::string_view text) { return QuotedValue(text); }

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

std::string CableNames() {
  std::string names;
  for (const CableType& cable : CableTable()) {
    if (!names.empty()) names += ", ";
    names += cable.name;
  }
  return names;
}

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

std::string LineFiguresText(const LineChoice& choice, LinePlace place, double f0,
                            const LineFigures& figures) {
  std::string text;
  const bool atLoad = place == LinePlace::Load;
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

}  // namespace corvantile
