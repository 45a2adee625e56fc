#include "cli/band_options.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <utility>

#include "analysis/formats/number_text.h"
#include "analysis/studies/standard_series.h"
#include "math/design_network.h"
#include "model/design_answers.h"

namespace corvantile::cli {
namespace {

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

bool Refuse(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

bool ReadBand(std::string_view value, BandRequest& request, std::string& error) {
  const std::size_t colon = value.find(':');
  const std::optional<double> from =
      colon == std::string_view::npos ? std::nullopt : ReadFrequency(value.substr(0, colon));
  const std::optional<double> to =
      colon == std::string_view::npos ? std::nullopt : ReadFrequency(value.substr(colon + 1));
  if (!from || !to) {
    return Refuse(error,
                  "--band needs F1:F2, two frequencies above 0 ('" + std::string(value) + "')");
  }
  request.options.bands.push_back({*from, *to});
  return true;
}

// A whole number from `least` to `most`: "--elements needs a whole number from 1 to 6 ('9')".
bool ReadCount(std::string_view option, std::string_view value, long least, long most, int& count,
               std::string& error) {
  const std::string text(value);
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < least || n > most) {
    return Refuse(error, std::string(option) + " needs a whole number from " +
                             std::to_string(least) + " to " + std::to_string(most) + " ('" + text +
                             "')");
  }
  count = static_cast<int>(n);
  return true;
}

// "--attenuation 2f:30".
bool ReadAttenuation(std::string_view value, BandRequest& request, std::string& error) {
  const std::string text(value);
  const bool shape = value.size() > 3 && (value[0] == '2' || value[0] == '3') && value[1] == 'f' &&
                     value[2] == ':';
  char* end = nullptr;
  const double db = shape ? std::strtod(text.c_str() + 3, &end) : 0.0;
  if (!shape || *end != '\0' || !(db > 0.0 && db <= 200.0)) {
    return Refuse(error, "--attenuation needs 2f:DB or 3f:DB with DB above 0 and at most 200 ('" +
                             text + "')");
  }
  request.options.harmonic = HarmonicRequirement{value[0] - '0', db};
  return true;
}

bool ReadTolerance(std::string_view value, BandRequest& request, std::string& error) {
  const std::string text(value);
  std::string number = text;
  if (!number.empty() && number.back() == '%') number.pop_back();
  char* end = nullptr;
  const double percent = std::strtod(number.c_str(), &end);
  if (number.empty() || *end != '\0' || !(percent > 0.0 && percent <= 50.0)) {
    return Refuse(error, "--tolerance needs a percentage above 0 and at most 50 ('" + text + "')");
  }
  request.tolerance = percent / 100.0;
  return true;
}

bool ReadSeries(std::string_view option, std::string_view value, StandardSeries& series,
                std::string& error) {
  const std::optional<StandardSeries> read = ParseStandardSeries(value);
  if (!read) {
    return Refuse(error, std::string(option) + ": '" + std::string(value) +
                             "' is not one of E3, E6, E12, E24, E48, E96, E192");
  }
  series = *read;
  return true;
}

}  // namespace

std::vector<OptionDecl> BandSearchOptions(BandRequest& request) {
  return {
      {.name = "--band",
       .value_name = "F1:F2",
       .help = "a band, in hertz (3.5M:3.8M); repeat for several bands",
       .read = [&request](std::string_view value,
                          std::string& error) { return ReadBand(value, request, error); },
       .repeats = true},
      {.name = "--elements",
       .value_name = "N",
       .help = "the most elements, 1 to 6 (default 4)",
       .read =
           [&request](std::string_view value, std::string& error) {
             if (!ReadCount("--elements", value, 1, 6, request.options.maxElements, error)) {
               return false;
             }
             request.elementsGiven = true;
             return true;
           }},
      {.name = "--topology",
       .value_name = "FAMILY",
       .help = "lowpass (series L, shunt C), highpass (series C, shunt L),\n"
               "bandpass (some of each) or any (default)",
       .read =
           [&request](std::string_view value, std::string& error) {
             const std::optional<LadderFamily> family = LadderFamilyFromName(value);
             if (!family) {
               return Refuse(error, "unknown --topology '" + std::string(value) +
                                        "' (use lowpass, highpass, bandpass or any)");
             }
             request.options.family = *family;
             return true;
           }},
      {.name = "--attenuation",
       .value_name = "H:DB",
       .help = "at least DB of transducer loss at twice (2f:DB) or three\n"
               "times (3f:DB) the band centre",
       .read = [&request](std::string_view value,
                          std::string& error) { return ReadAttenuation(value, request, error); }},
  };
}

std::vector<OptionDecl> BandFigureOptions(BandRequest& request) {
  return {
      {.name = "--points",
       .value_name = "N",
       .help = "in-band points per band, equally spaced (default 201)",
       .read =
           [&request](std::string_view value, std::string& error) {
             return ReadCount("--points", value, 2, 10001, request.options.pointsPerBand, error);
           }},
      {.name = "--standard",
       .value_name = "PICK",
       .help = "best: each design with its parts at the combination of\n"
               "standard values (the nearest and two neighbours each way)\n"
               "with the best worst return loss; none (default)",
       .read =
           [&request](std::string_view value, std::string& error) {
             if (value != "best" && value != "none") {
               return Refuse(error,
                             "unknown --standard '" + std::string(value) + "' (use best or none)");
             }
             request.standardBest = value == "best";
             return true;
           }},
      {.name = "--series-inductor",
       .value_name = "S",
       .help = "the inductors' series for --standard (default E12)",
       .read =
           [&request](std::string_view value, std::string& error) {
             return ReadSeries("--series-inductor", value, request.standard.inductors, error);
           }},
      {.name = "--series-capacitor",
       .value_name = "S",
       .help = "the capacitors' series for --standard (default E24)",
       .read =
           [&request](std::string_view value, std::string& error) {
             return ReadSeries("--series-capacitor", value, request.standard.capacitors, error);
           }},
      {.name = "--tolerance",
       .value_name = "P%",
       .help = "the band yield: the share of builds, every part drawn\n"
               "uniformly within P %, whose VSWR stays within 1.5:1 and 2:1\n"
               "over the band (of the standard-value design with --standard\n"
               "best, else of the designed values)",
       .read = [&request](std::string_view value,
                          std::string& error) { return ReadTolerance(value, request, error); }},
      {.name = "--builds",
       .value_name = "N",
       .help = "builds of the yield's Monte Carlo run (default 10000)",
       .read =
           [&request](std::string_view value, std::string& error) {
             return ReadCount("--builds", value, 1, 1000000, request.builds, error);
           }},
  };
}

OptionDecl BandPickOption(std::optional<int>& count) {
  return {.name = "--pick",
          .value_name = "N",
          .help =
              "the design of N elements (default: the one with the best\n"
              "worst return loss)",
          .read = [&count](std::string_view value, std::string& error) {
            const std::string text(value);
            char* end = nullptr;
            const long n = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || n < 1 || n > 6) {
              return Refuse(error, "--pick needs an element count from 1 to 6 ('" + text + "')");
            }
            count = static_cast<int>(n);
            return true;
          }};
}

std::string BandsText(const std::vector<FrequencyBand>& bands) {
  std::string text;
  for (const FrequencyBand& b : bands) {
    if (!text.empty()) text += ", ";
    text += EngineeringText(b.from, "Hz") + " to " + EngineeringText(b.to, "Hz");
  }
  return text;
}

int RunBandSearch(DesignRequest design, BandRequest& band, BandRun& run, std::string& error,
                  std::ostream& err) {
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
  RunState& state = run.state;
  std::vector<std::string> notes;
  MeasuredDesign& measured = run.measured;
  const bool built = BuildDesignState(design, state, error, notes, measured);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << note << '\n';
  if (!built) return kExitUsage;
  band.options.sides = measured.Sides();
  // The window's Band page asks the same question of its design.
  BandAnswer answer = BandOfState(state, band.options);
  if (!answer.problem.empty()) {
    error = answer.problem;
    return answer.searched ? kExitImpossibleDesign : kExitUsage;
  }
  run.designFrequency = answer.designFrequency;
  run.match = std::move(answer.match);
  return kExitOk;
}

const BandDesign* PickBandDesign(const BandMatch& match, std::optional<int> count) {
  const BandDesign* chosen = nullptr;
  for (const BandDesign& d : match.designs) {
    if (count ? static_cast<int>(d.circuit.elements.size()) == *count
              : chosen == nullptr ||
                    d.figures.worstReturnLossDb > chosen->figures.worstReturnLossDb) {
      chosen = &d;
    }
  }
  return chosen;
}

std::string NoPickedDesignText(const BandMatch& match, int count) {
  return "no design of " + std::to_string(count) + " elements (the search gave " +
         std::to_string(match.designs.size()) + ")";
}

}  // namespace corvantile::cli
