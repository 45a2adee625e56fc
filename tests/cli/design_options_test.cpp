#include "cli/design_options.h"

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using testing_support::DataFile;

enum class Side { Source, Net, Load };

struct Expected {
  Side side;
  int index;
  float value;
};

struct ValidRow {
  const char* name;
  std::vector<std::string_view> args;
  std::vector<Expected> expected;
};

struct InvalidRow {
  const char* name;
  std::vector<std::string_view> args;
  std::string_view error;  // a part of the one-line error
};

void PrintTo(const ValidRow& row, std::ostream* os) { *os << row.name; }
void PrintTo(const InvalidRow& row, std::ostream* os) { *os << row.name; }

// Reads the arguments as a design command does; every argument must be a design option.
bool Build(const std::vector<std::string_view>& arguments, RunState& state, std::string& error) {
  DesignRequest request;
  CommandOptions options{.command = "design", .groups = {DesignGroup(request, "")}};
  options.name_every_error = false;
  if (ParseOptions(options, arguments, error) != ParseResult::Ready) return false;
  std::vector<std::string> notes;
  return BuildDesignState(request, state, error, notes);
}

float Value(const RunState& state, Side side, int index) {
  switch (side) {
    case Side::Source:
      return state.SourceValues[static_cast<std::size_t>(index)];
    case Side::Net:
      return state.NetValues[static_cast<std::size_t>(index)];
    case Side::Load:
      return state.LoadValues[static_cast<std::size_t>(index)];
  }
  return 0.0f;
}

class ValidDesignOptions : public testing::TestWithParam<ValidRow> {};

TEST_P(ValidDesignOptions, StoreWhatTheWindowWould) {
  const ValidRow& row = GetParam();
  RunState state;
  std::string error;
  ASSERT_TRUE(Build(row.args, state, error)) << error;
  for (const Expected& e : row.expected) {
    EXPECT_FLOAT_EQ(Value(state, e.side, e.index), e.value)
        << "side " << static_cast<int>(e.side) << " index " << e.index;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ValidDesignOptions,
    testing::Values(
        ValidRow{"NoOptionsGiveTheDefaults",
                 {},
                 {{Side::Source, SeriesR, 1500},
                  {Side::Load, SeriesR, 300},
                  {Side::Net, Frequency, 3750000},
                  {Side::Net, NetworkFamily, 2},
                  {Side::Net, DesignDriver, 7},
                  {Side::Net, NetworkPhase, -135},
                  {Side::Net, Power, 1000}}},
        ValidRow{"SeriesReactance",
                 {"--source", "series:50:25"},
                 {{Side::Source, EntryForm, 1},
                  {Side::Source, EntryFormCopy, 1},
                  {Side::Source, SeriesR, 50},
                  {Side::Source, SeriesX, 25}}},
        ValidRow{"ParallelReactanceWithPrefix",
                 {"--source", "parallel:1.5k:-600"},
                 {{Side::Source, EntryForm, 2},
                  {Side::Source, EntryFormCopy, 2},
                  {Side::Source, ParallelR, 1500},
                  {Side::Source, ParallelX, -600}}},
        ValidRow{"SeriesCapacitorAsMinusFarads",
                 {"--load", "series-part:50:-100p"},
                 {{Side::Load, EntryForm, 3},
                  {Side::Load, SeriesR, 50},
                  {Side::Load, SeriesPart, -1e-10f},
                  {Side::Source, EntryForm, 1}}},
        ValidRow{"ParallelInductorAndNegativeResistanceAsMagnitude",
                 {"--load=parallel-part:-50:4.7u"},
                 {{Side::Load, EntryForm, 4},
                  {Side::Load, EntryFormCopy, 4},
                  {Side::Load, ParallelR, 50},
                  {Side::Load, ParallelPart, 4.7e-6f}}},
        ValidRow{"FamilyTeeKeepsTheBranch",
                 {"--family", "tee"},
                 {{Side::Net, NetworkFamily, 1}, {Side::Net, DesignDriver, 7}}},
        ValidRow{"HighpassL", {"--family", "highpass-l"}, {{Side::Net, NetworkFamily, 4}}},
        ValidRow{"LowpassL", {"--family", "lowpass-l"}, {{Side::Net, NetworkFamily, 3}}},
        ValidRow{
            "PhaseFixesThePhase",
            {"--fix", "x1=5", "--phase", "-90"},
            {{Side::Net, NetworkPhase, -90}, {Side::Net, DesignDriver, 7}, {Side::Net, NetX1, 5}}},
        ValidRow{"FixAfterPhaseWins",
                 {"--phase", "-90", "--fix", "x1=5"},
                 {{Side::Net, DesignDriver, 1}, {Side::Net, NetX1, 5}}},
        ValidRow{"FixMiddleReactanceWithBranch",
                 {"--fix", "x2=-50", "--branch", "2"},
                 {{Side::Net, DesignDriver, 2},
                  {Side::Net, NetX2, -50},
                  {Side::Net, SolutionBranch, 2}}},
        ValidRow{"FixMiddlePartInlineWithBranch",
                 {"--fix=part2=20u", "--branch=1"},
                 {{Side::Net, DesignDriver, 5},
                  {Side::Net, NetPart2, 20e-6f},
                  {Side::Net, SolutionBranch, 1}}},
        ValidRow{"FixX3",
                 {"--fix", "x3=-183.8"},
                 {{Side::Net, DesignDriver, 3}, {Side::Net, NetX3, -183.8f}}},
        ValidRow{"FixPart1",
                 {"--fix", "part1=-117.8p"},
                 {{Side::Net, DesignDriver, 4}, {Side::Net, NetPart1, -117.8e-12f}}},
        ValidRow{"FixPart3",
                 {"--fix", "part3=100p"},
                 {{Side::Net, DesignDriver, 6}, {Side::Net, NetPart3, 1e-10f}}},
        ValidRow{"FrequencyAndPowerInEngineeringNotation",
                 {"--frequency=14.2M", "--power", "1.5k"},
                 {{Side::Net, Frequency, 14.2e6f}, {Side::Net, Power, 1500}}},
        ValidRow{"PhaseThenFamilyPiIsFine",
                 {"--phase", "30", "--family", "pi"},
                 {{Side::Net, NetworkFamily, 2}, {Side::Net, NetworkPhase, 30}}}),
    [](const testing::TestParamInfo<ValidRow>& param) { return std::string(param.param.name); });

class InvalidDesignOptions : public testing::TestWithParam<InvalidRow> {};

TEST_P(InvalidDesignOptions, GiveOneLineError) {
  const InvalidRow& row = GetParam();
  RunState state;
  std::string error;
  ASSERT_FALSE(Build(row.args, state, error));
  EXPECT_NE(error.find(row.error), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InvalidDesignOptions,
    testing::Values(
        InvalidRow{"MissingValue", {"--power"}, "--power needs a value"},
        InvalidRow{"UnknownFamily", {"--family", "bandpass"}, "unknown family 'bandpass'"},
        InvalidRow{"UnknownForm", {"--source", "serial:50:0"}, "unknown form 'serial'"},
        InvalidRow{"FormOnly", {"--source", "series"}, "FORM:R:V"},
        InvalidRow{"MissingSecondValue", {"--load", "series:50"}, "second value is missing"},
        InvalidRow{"EmptySecondValue", {"--load", "parallel:50:"}, "second value is missing"},
        InvalidRow{"MissingResistance", {"--load", "series::-100p"}, "resistance is missing"},
        InvalidRow{"TooManyParts", {"--source", "series:50:1:2"}, "too many parts"},
        InvalidRow{"ValueWithoutDigit", {"--source", "series:abc:1"}, "'abc' is not a value"},
        InvalidRow{"ZeroFrequency", {"--frequency", "0"}, "--frequency: '0' is outside 1 mHz"},
        InvalidRow{"NegativePower", {"--power", "-5"}, "--power: '-5' is outside 1 mW to 100 MW"},
        InvalidRow{
            "RepeatedOption", {"--power", "1k", "--power", "2k"}, "--power may be given only once"},
        InvalidRow{"PowerWithoutDigit", {"--power", "lots"}, "'lots' is not a value"},
        InvalidRow{"ZeroPhase", {"--phase", "0.0"}, "--phase cannot be 0"},
        InvalidRow{"PhaseInLowpassL",
                   {"--family", "lowpass-l", "--phase", "30"},
                   "You cannot specify the phase in an L-network"},
        InvalidRow{"PhaseBeforeHighpassL",
                   {"--phase", "30", "--family", "highpass-l"},
                   "You cannot specify the phase in an L-network"},
        InvalidRow{"FixInLNetwork",
                   {"--fix", "x1=5", "--family", "lowpass-l"},
                   "You cannot fix a network element in an L-network"},
        InvalidRow{"UnknownFixQuantity", {"--fix", "x4=5"}, "--fix takes Q=VALUE"},
        InvalidRow{"FixWithoutValue", {"--fix", "part2"}, "--fix takes Q=VALUE"},
        InvalidRow{"FixWithEmptyValue", {"--fix", "part2="}, "is not a value"},
        InvalidRow{"BranchThree", {"--branch", "3"}, "--branch takes 1 or 2"},
        InvalidRow{"BranchWithoutFixedMiddle", {"--branch", "1"}, "--branch needs the middle"},
        InvalidRow{"BranchThenPhase",
                   {"--fix", "x2=5", "--branch", "1", "--phase", "-90"},
                   "--branch needs the middle"},
        InvalidRow{"SecondSession", {"--session", "a", "--session", "b"}, "only once"},
        InvalidRow{"MissingSessionFile",
                   {"--session", "/nonexistent/LastSession.CFG"},
                   "cannot read session file '/nonexistent/LastSession.CFG': No such file"},
        InvalidRow{"SessionIsADirectory", {"--session", "/"}, "'/': Is a directory"}),
    [](const testing::TestParamInfo<InvalidRow>& param) { return std::string(param.param.name); });

TEST(DesignOptions, LFamiliesResetTheBranchAndTeeAndPiKeepIt) {
  for (const auto& [family, branch] : std::vector<std::pair<std::string_view, float>>{
           {"tee", 2.0f}, {"pi", 2.0f}, {"lowpass-l", 0.0f}, {"highpass-l", 0.0f}}) {
    RunState state = MakeDefaultRunState();
    state.NetValues[SolutionBranch] = 2.0f;
    std::string error;
    ASSERT_TRUE(ApplyDesignOption("--family", family, state, error)) << error;
    EXPECT_EQ(state.NetValues[SolutionBranch], branch) << family;
  }
}

TEST(DesignOptions, EveryOptionOfTheGroupIsApplied) {
  DesignRequest request;
  for (const OptionDecl& decl : DesignGroup(request, "").options) {
    if (decl.name == "--session") continue;
    RunState state = MakeDefaultRunState();
    std::string error;
    ApplyDesignOption(decl.name, "1", state, error);
    EXPECT_EQ(error.find("unknown design option"), std::string::npos) << decl.name;
  }
}

// The options are kept in command-line order for applying; the session apart, read first.
TEST(DesignOptions, KeepTheOrderAndTheSessionApart) {
  DesignRequest request;
  const CommandOptions options{.command = "design", .groups = {DesignGroup(request, "")}};
  std::string error;
  ASSERT_EQ(ParseOptions(options,
                         std::vector<std::string_view>{"--power", "1k", "--session=file.CFG",
                                                       "--frequency=3M"},
                         error),
            ParseResult::Ready)
      << error;
  ASSERT_EQ(request.settings.size(), 2u);
  EXPECT_EQ(request.settings[0].option, "--power");
  EXPECT_EQ(request.settings[0].value, "1k");
  EXPECT_EQ(request.settings[1].option, "--frequency");
  EXPECT_EQ(request.session, std::filesystem::path("file.CFG"));
}

TEST(DesignOptions, SessionIsReadBeforeEveryOtherOptionWhereverItStands) {
  RunState state;
  std::string error;
  const std::string file = DataFile("tee_parallel_part_load.CFG").string();
  ASSERT_TRUE(Build({"--power", "5", "--session", file}, state, error)) << error;
  EXPECT_EQ(state.NetValues[Power], 5.0f);
  EXPECT_EQ(state.NetValues[NetworkFamily], FamilyTee);
  EXPECT_EQ(state.LoadValues[EntryForm], 4.0f);
  EXPECT_EQ(state.LoadValues[ParallelPart], -1e-10f);
}

TEST(DesignOptions, ShortSessionGivesDefaultsOverWhatWasReadAndANote) {
  DesignModel model;
  const DesignLoad load = LoadDesign(DataFile("short_session.CFG"), LoadPolicy::Tolerant, model);
  ASSERT_TRUE(load.Ok()) << load.error;
  const std::vector<std::string>& notes = load.notes;
  const RunState& state = model.state();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("short_session.CFG"), std::string::npos);
  // The defaults win where they are stored ...
  EXPECT_EQ(state.SourceValues[SeriesR], 1500.0f);
  EXPECT_EQ(state.SourceValues[EntryForm], 1.0f);
  EXPECT_EQ(state.NetValues[Frequency], 3750000.0f);
  EXPECT_EQ(state.NetValues[NetworkPhase], -135.0f);
  // ... the values read before the end stay elsewhere, and the start-up values are set.
  EXPECT_EQ(state.SourceValues[12], 7.0f);
  EXPECT_EQ(state.NetValues[22], 9.0f);
  EXPECT_GT(state.startup.TwoPi, 6.28);
}

}  // namespace
}  // namespace corvantile::cli
