#include "cli/design_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "analysis/formats/number_text.h"
#include "cli/json_output.h"
#include "cli/loss_options.h"
#include "cli/option_values.h"
#include "report/report_text.h"
#include "state/file_reader.h"
#include "state/message_text.h"
#include "state/names.h"
#include "state/session_file.h"

namespace corvantile::cli {
namespace {

struct DesignOptionInfo {
  std::string_view name;
  std::string_view value_name;
  std::string_view help;
};

constexpr std::array<DesignOptionInfo, 13> kDesignOptions{{
    {"--session", "FILE",
     "start from this session file, not the built-in defaults\n"
     "(read first wherever it stands; LastSession.CFG is read\n"
     "only when named here)"},
    {"--source", "FORM:R:V", "the source (generator side); see FORM:R:V below"},
    {"--load", "FORM:R:V", "the load; see FORM:R:V below"},
    {"--source-file", "FILE",
     "the source as measured: a Touchstone file (.s1p to\n"
     ".s4p, version 1 or 2.0); its impedance at the design\n"
     "frequency is entered as series R + jX, and the sweep\n"
     "follows the file across its band"},
    {"--source-port", "N", "the port of --source-file (default 1)"},
    {"--load-file", "FILE", "the load as measured, as --source-file"},
    {"--load-port", "N", "the port of --load-file (default 1)"},
    {"--family", "NAME", "tee, pi, lowpass-l or highpass-l (an L family resets\nthe branch)"},
    {"--phase", "DEG",
     "network phase \"R to R\" in degrees, fixed for the design\n"
     "(not 0; Tee and Pi only: an L network finds its own phase)"},
    {"--frequency", "F", "working frequency in hertz, above 0 (3.75M, 14.2M)"},
    {"--power", "W",
     "the source's available power in watts (what it delivers\n"
     "into a matched load; a matched network takes all of it),\n"
     "above 0 (1k)"},
    {"--fix", "Q=VALUE",
     "fix one network quantity instead of the phase: x1, x2,\n"
     "x3 (reactance in ohms) or part1, part2, part3 (part\n"
     "value: henries, a capacitor as minus its farads) of\n"
     "element 1 (source side), 2 (middle) or 3 (load side);\n"
     "Tee and Pi only"},
    {"--branch", "1|2",
     "which of the two solutions when the middle element is\n"
     "fixed (--fix x2 or part2, or a session that fixes it)"},
}};

bool Refuse(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

std::string Quoted(std::string_view text) { return QuotedValue(text); }

// A value in the program's notation, read strictly: text the entry dialogs' lenient reading
// would cut, clamp or read in part is refused, and so is a value outside `range`.
bool ReadValue(std::string_view option, std::string_view text, float& value, std::string& error,
               const ValueRange& range = kAnyValue) {
  return ReadOptionValue(option, text, range, value, error);
}

// "series:50:-100p" -> entry form 1..4, resistance and second value.
bool ApplyImpedance(std::string_view option, std::string_view text, ImpedanceValues& values,
                    std::string& error) {
  const std::string usage = std::string(option) + " takes FORM:R:V with FORM series, parallel, " +
                            "series-part or parallel-part";
  const std::size_t first = text.find(':');
  const std::string_view form = text.substr(0, first);
  static constexpr std::array<std::string_view, 4> kForms{"series", "parallel", "series-part",
                                                          "parallel-part"};
  const auto found = std::find(kForms.begin(), kForms.end(), form);
  if (found == kForms.end()) {
    return Refuse(error, usage + " (unknown form " + Quoted(form) + ")");
  }
  const int code = static_cast<int>(found - kForms.begin()) + 1;
  if (first == std::string_view::npos) return Refuse(error, usage + " (got " + Quoted(text) + ")");
  const std::string_view rest = text.substr(first + 1);
  const std::size_t second = rest.find(':');
  if (second == std::string_view::npos || rest.substr(second + 1).empty()) {
    return Refuse(error, std::string(option) + ": the second value is missing in " + Quoted(text) +
                             " (FORM:R:V)");
  }
  const std::string_view resistanceText = rest.substr(0, second);
  const std::string_view secondText = rest.substr(second + 1);
  if (resistanceText.empty()) {
    return Refuse(error, std::string(option) + ": the resistance is missing in " + Quoted(text) +
                             " (FORM:R:V)");
  }
  if (secondText.find(':') != std::string_view::npos) {
    return Refuse(error, usage + " (too many parts in " + Quoted(text) + ")");
  }
  float resistance = 0.0f;
  float second_value = 0.0f;
  if (!ReadValue(option, resistanceText, resistance, error) ||
      !ReadValue(option, secondText, second_value, error)) {
    return false;
  }
  // A short circuit delivers no power to match: the design would run on a stand-in.
  const bool parallelShort = (code == 2 && second_value == 0.0f);
  if (resistance == 0.0f || parallelShort) {
    return Refuse(error, std::string(option) + ": " + Quoted(text) +
                             " is zero ohms, which no network can match (the resistance" +
                             (code == 2 ? " and the parallel reactance" : "") + " must not be 0)");
  }
  // As the entry dialog: the form goes to both form slots, the resistance is stored as its
  // magnitude, the second value with the sign typed.
  static constexpr std::array<int, 4> kResistanceIndex{SeriesR, ParallelR, SeriesR, ParallelR};
  static constexpr std::array<int, 4> kSecondIndex{SeriesX, ParallelX, SeriesPart, ParallelPart};
  values[EntryForm] = static_cast<float>(code);
  values[EntryFormCopy] = values[EntryForm];
  values[kResistanceIndex[code - 1]] = std::fabs(resistance);
  values[kSecondIndex[code - 1]] = second_value;
  return true;
}

bool ApplyFamily(std::string_view name, NetworkValues& net, std::string& error) {
  const FamilyNames* found = FindFamilyByOption(name);
  if (found == nullptr) {
    std::string names;
    for (const FamilyNames& family : kFamilyNames) {
      names += names.empty() ? "" : &family == &kFamilyNames.back() ? " or " : ", ";
      names += family.option;
    }
    return Refuse(error, "--family: unknown family " + Quoted(name) + " (use " + names + ")");
  }
  net[NetworkFamily] = found->code;
  // The two L buttons start the branch choice afresh; Tee and Pi leave it alone.
  if (IsLNetwork(net[NetworkFamily])) net[SolutionBranch] = BranchNotChosen;
  return true;
}

// "x2=-50" -> DesignDriver 2, NetX2 -50; "part3=100p" -> DesignDriver 6, NetPart3 1e-10.
bool ApplyFix(std::string_view text, NetworkValues& net, std::string& error) {
  const std::size_t equals = text.find('=');
  const std::string_view quantity = text.substr(0, equals);
  static constexpr std::array<std::string_view, 6> kQuantities{"x1",    "x2",    "x3",
                                                               "part1", "part2", "part3"};
  static constexpr std::array<int, 6> kIndex{NetX1, NetX2, NetX3, NetPart1, NetPart2, NetPart3};
  const auto found = std::find(kQuantities.begin(), kQuantities.end(), quantity);
  if (found == kQuantities.end() || equals == std::string_view::npos) {
    return Refuse(error, "--fix takes Q=VALUE with Q x1, x2, x3, part1, part2 or part3 (got " +
                             Quoted(text) + ")");
  }
  float value = 0.0f;
  if (!ReadValue("--fix", text.substr(equals + 1), value, error)) return false;
  const auto position = found - kQuantities.begin();
  net[DesignDriver] = static_cast<float>(position + 1);
  net[kIndex[static_cast<std::size_t>(position)]] = value;
  return true;
}

bool ApplyPositive(std::string_view option, std::string_view text, float& target,
                   std::string& error, const ValueRange& range) {
  float value = 0.0f;
  if (!ReadValue(option, text, value, error, range)) return false;
  // As the frequency and power dialogs: only a value above 0 is taken.
  if (!(value > 0.0f)) {
    return Refuse(error,
                  std::string(option) + " must be greater than 0 (got " + Quoted(text) + ")");
  }
  target = value;
  return true;
}

bool IsMeasuredOption(std::string_view option) {
  return option == "--source-file" || option == "--source-port" || option == "--load-file" ||
         option == "--load-port";
}

// What the command line asked of one measured side: the last --X-file and --X-port given.
struct MeasuredAsk {
  std::optional<std::string> file;
  std::optional<int> port;
};

bool ReadPort(std::string_view option, std::string_view text, std::optional<int>& port,
              std::string& error) {
  int value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || value < 1) {
    return Refuse(error, std::string(option) + ": " + Quoted(text) + " is not a port number");
  }
  port = value;
  return true;
}

}  // namespace

OptionGroup DesignGroup(DesignRequest& request, std::string heading) {
  OptionGroup group;
  group.heading = std::move(heading);
  for (const DesignOptionInfo& info : kDesignOptions) {
    const std::string_view name = info.name;
    OptionReader read = [&request, name](std::string_view value, std::string&) {
      request.settings.push_back({std::string(name), std::string(value)});
      return true;
    };
    if (name == "--session") {
      read = [&request](std::string_view value, std::string&) {
        request.session = std::filesystem::path(value);
        return true;
      };
    }
    group.options.push_back(
        {.name = name, .value_name = info.value_name, .help = info.help, .read = std::move(read)});
  }
  // The options above refer to FORM:R:V "below": every command's help lists these options, so
  // every help carries the paragraph.
  group.notes =
      "\n"
      "  FORM:R:V describes a source or a load. FORM is series (R in series with a\n"
      "  reactance V), parallel (R in parallel with a reactance V), series-part (R in series\n"
      "  with a part of value V) or parallel-part (R in parallel with a part of value V).\n"
      "  A reactance is in ohms, negative for a capacitor; a part value is positive henries\n"
      "  for an inductor and minus the farads for a capacitor. R is taken as its magnitude.\n"
      "  series-part:50:-100p is 50 ohms in series with 100 pF; parallel:1.5k:-600 is 1500\n"
      "  ohms across a reactance of -600 ohms.\n";
  return group;
}

bool ApplyDesignOption(std::string_view option, std::string_view value, RunState& state,
                       std::string& error) {
  NetworkValues& net = state.NetValues;
  if (option == "--source") return ApplyImpedance(option, value, state.SourceValues, error);
  if (option == "--load") return ApplyImpedance(option, value, state.LoadValues, error);
  if (option == "--family") return ApplyFamily(value, net, error);
  if (option == "--frequency") {
    return ApplyPositive(option, value, net[Frequency], error, kDesignFrequencies);
  }
  if (option == "--power") return ApplyPositive(option, value, net[Power], error, kDesignPowers);
  if (option == "--fix") return ApplyFix(value, net, error);
  if (option == "--phase") {
    float phase = 0.0f;
    if (!ReadValue(option, value, phase, error, kNetworkPhases)) return false;
    // The phase dialog refuses exactly 0, and a network of phase 0 cannot be built.
    if (phase == 0.0f) return Refuse(error, "--phase cannot be 0 degrees");
    net[NetworkPhase] = phase;
    net[DesignDriver] = DriverPhase;
    return true;
  }
  if (option == "--branch") {
    if (value != "1" && value != "2") {
      return Refuse(error, "--branch takes 1 or 2 (got " + Quoted(value) + ")");
    }
    net[SolutionBranch] = value == "1" ? BranchFirst : BranchSecond;
    return true;
  }
  if (IsMeasuredOption(option)) {
    return Refuse(error, std::string(option) +
                             " is read once every other option is applied, at the final design "
                             "frequency");
  }
  return Refuse(error, "unknown design option " + Quoted(option));
}

bool BuildDesignState(const DesignRequest& request, RunState& state, std::string& error,
                      std::vector<std::string>& notes) {
  // A command that does not report the measured sides still designs for them at f0.
  MeasuredDesign measured;
  return BuildDesignState(request, state, error, notes, measured);
}

namespace {

// The typed options over `state` (the session's design or the defaults), then the checks that
// need all of them.
bool ApplyTypedOptions(const DesignRequest& request, RunState& state, std::string& error) {
  bool phaseGiven = false;
  bool fixGiven = false;
  bool branchGiven = false;
  for (const DesignSetting& setting : request.settings) {
    if (IsMeasuredOption(setting.option)) continue;  // read by the overload with MeasuredDesign
    if (!ApplyDesignOption(setting.option, setting.value, state, error)) return false;
    phaseGiven = phaseGiven || setting.option == "--phase";
    fixGiven = fixGiven || setting.option == "--fix";
    branchGiven = branchGiven || setting.option == "--branch";
  }
  // Checked on the final state, so the order of --family and --phase does not matter.
  const bool lNetwork = IsLNetwork(state.NetValues[NetworkFamily]);
  if (lNetwork && phaseGiven) return Refuse(error, "You cannot specify the phase in an L-network");
  if (lNetwork && fixGiven) {
    return Refuse(error, "You cannot fix a network element in an L-network");
  }
  const float driver = state.NetValues[DesignDriver];
  if (branchGiven && !FixesMiddleElement(driver)) {
    return Refuse(error,
                  "--branch needs the middle element fixed (--fix x2=VALUE or --fix part2=VALUE)");
  }
  return true;
}

}  // namespace

bool BuildDesignModel(const DesignRequest& request, DesignModel& model, std::string& error,
                      std::vector<std::string>& notes, const LossOptions* losses) {
  MeasuredAsk source, load;
  bool typedSource = false, typedLoad = false;
  for (const DesignSetting& setting : request.settings) {
    const std::string_view option = setting.option;
    typedSource = typedSource || option == "--source";
    typedLoad = typedLoad || option == "--load";
    if (option == "--source-file") source.file = setting.value;
    if (option == "--load-file") load.file = setting.value;
    if (option == "--source-port" && !ReadPort(option, setting.value, source.port, error)) {
      return false;
    }
    if (option == "--load-port" && !ReadPort(option, setting.value, load.port, error)) {
      return false;
    }
  }
  if (typedSource && source.file) {
    return Refuse(error, "give the source either typed (--source) or measured (--source-file)");
  }
  if (typedLoad && load.file) {
    return Refuse(error, "give the load either typed (--load) or measured (--load-file)");
  }
  for (const auto& [ask, side] : {std::pair(&source, "source"), std::pair(&load, "load")}) {
    if (!ask->file && ask->port) {
      return Refuse(error,
                    "--" + std::string(side) + "-port needs --" + std::string(side) + "-file");
    }
  }
  DesignModel built;
  if (request.session) {
    const DesignLoad read = LoadDesign(*request.session, LoadPolicy::Tolerant, built);
    if (!read.Ok()) return Refuse(error, read.error);
    notes.insert(notes.end(), read.notes.begin(), read.notes.end());
  }
  built.SetMeasuredFileKinds(InputKinds::RegularOrStream);
  // A side typed on the command line no longer follows the session's file.
  if (typedSource) built.Unfollow(MeasuredSideKind::Source);
  if (typedLoad) built.Unfollow(MeasuredSideKind::Load);
  if (!ApplyTypedOptions(request, built.state(), error)) return false;
  // The frequency is final now, whatever order the options came in: every measured side is
  // read there, the session's as well as the command line's.
  if (std::string problem = built.FollowFrequency(); !problem.empty()) {
    return Refuse(error, problem);
  }
  for (const auto& [ask, side] :
       {std::pair(&source, MeasuredSideKind::Source), std::pair(&load, MeasuredSideKind::Load)}) {
    if (!ask->file) continue;
    if (std::string problem = built.Follow(side, {*ask->file, ask->port.value_or(1)});
        !problem.empty()) {
      return Refuse(error, problem);
    }
  }
  if (losses != nullptr && losses->given) {
    built.settings().losses = LossSettingsFor(*losses, built.settings().losses);
    if (std::string problem = built.ReadPartModels(); !problem.empty()) {
      return Refuse(error, problem);
    }
  }
  model = std::move(built);
  return true;
}

MeasuredDesign MeasuredDesignOf(const DesignModel& model) {
  MeasuredDesign measured;
  const double frequency = static_cast<double>(model.state().NetValues[Frequency]);
  for (const auto& [slot, side] : {std::pair(&measured.source, MeasuredSideKind::Source),
                                   std::pair(&measured.load, MeasuredSideKind::Load)}) {
    const std::shared_ptr<const TouchstonePort> port = model.Port(side);
    if (!port) continue;
    *slot = MeasuredSide{*port, model.Measured(side)->file, port->Impedance(frequency)};
  }
  return measured;
}

bool BuildDesignState(const DesignRequest& request, RunState& state, std::string& error,
                      std::vector<std::string>& notes, MeasuredDesign& measured) {
  DesignModel model;
  if (!BuildDesignModel(request, model, error, notes)) return false;
  state = model.state();
  measured = MeasuredDesignOf(model);
  return true;
}

std::string MeasuredSideLine(std::string_view side, const MeasuredSide& measured,
                             double designFrequency) {
  return report::MeasuredSideLine(side, measured.port.FileName(), measured.port.Port(),
                                  measured.atDesign, designFrequency);
}

std::string MeasuredLines(const MeasuredDesign& measured, double designFrequency) {
  std::string text;
  if (measured.source) text += MeasuredSideLine("Source", *measured.source, designFrequency) + '\n';
  if (measured.load) text += MeasuredSideLine("Load", *measured.load, designFrequency) + '\n';
  return text;
}

Json MeasuredJson(const MeasuredDesign& measured) {
  const auto side = [](const MeasuredSide& m) {
    Json o;
    o["file"] = m.path;
    o["port"] = m.port.Port();
    o["from_hz"] = ComputedNumber(m.port.From());
    o["to_hz"] = ComputedNumber(m.port.To());
    o["resistance_ohm"] = ComputedNumber(m.atDesign.real());
    o["reactance_ohm"] = ComputedNumber(m.atDesign.imag());
    return o;
  };
  Json json = Json::object();
  if (measured.source) json["source"] = side(*measured.source);
  if (measured.load) json["load"] = side(*measured.load);
  return json;
}

}  // namespace corvantile::cli
