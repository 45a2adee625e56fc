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

}  // namespace

OptionTake TakeBandOption(ArgumentCursor& args, BandRequest& request, std::string& error,
                          std::span<const std::string_view> names) {
  if (args.AtEnd() || !IsOptionArgument(args.Peek())) return OptionTake::NotMine;
  const OptionArgument option = SplitOption(args.Peek());
  static constexpr std::string_view kNames[] = {
      "--band",     "--elements",        "--topology",         "--attenuation", "--points",
      "--standard", "--series-inductor", "--series-capacitor", "--tolerance",   "--builds"};
  if (std::find(std::begin(kNames), std::end(kNames), option.name) == std::end(kNames)) {
    return OptionTake::NotMine;
  }
  if (!names.empty() && std::find(names.begin(), names.end(), option.name) == names.end()) {
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
  } else if (option.name == "--tolerance") {
    std::string number = text;
    if (!number.empty() && number.back() == '%') number.pop_back();
    char* end = nullptr;
    const double percent = std::strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0' || !(percent > 0.0 && percent <= 50.0)) {
      error = "--tolerance needs a percentage above 0 and at most 50 ('" + text + "')";
      return OptionTake::Failed;
    }
    request.tolerance = percent / 100.0;
  } else if (option.name == "--builds") {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 1 || n > 1000000) {
      error = "--builds needs a whole number from 1 to 1000000 ('" + text + "')";
      return OptionTake::Failed;
    }
    request.builds = static_cast<int>(n);
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

std::string BandsText(const std::vector<FrequencyBand>& bands) {
  std::string text;
  for (const FrequencyBand& b : bands) {
    if (!text.empty()) text += ", ";
    text += EngineeringText(b.from, "Hz") + " to " + EngineeringText(b.to, "Hz");
  }
  return text;
}

std::string BandOptionsHelp() {
  return "  --band F1:F2          a band, in hertz (3.5M:3.8M); repeat for several bands\n"
         "  --elements N          the most elements, 1 to 6 (default 4)\n"
         "  --topology FAMILY     lowpass (series L, shunt C), highpass (series C, shunt L),\n"
         "                        bandpass (some of each) or any (default)\n"
         "  --attenuation H:DB    at least DB of transducer loss at twice (2f:DB) or three\n"
         "                        times (3f:DB) the band centre\n";
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

}  // namespace corvantile::cli
