// Real parts with their parasitics through the command line: --part-model's grammar, a maker's
// part file with --part-file, and the design, sweep and bom reporting each part's model,
// self-resonance and warning.
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/command_line.h"
#include "cli/loss_options.h"
#include "cli_test_support.h"
#include "support/files.h"

namespace corvantile::cli {
namespace {

using Json = nlohmann::json;
using Args = std::vector<std::string_view>;
using testing_support::CliRun;

CliRun RunCli(const Args& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.status = RunCommandLine(arguments, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

Args Concat(std::initializer_list<Args> parts) {
  Args all;
  for (const Args& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The 433 MHz amplifier's output Pi: 15.6 ohm to 50 ohm, 5 W, at the default -135 degrees.
const Args kAmplifier = {"--source",    "series:15.6:0", "--load",  "series:50:0",
                         "--frequency", "433M",          "--power", "5"};
// Typical 0402 parts.
const Args k0402 = {"--part-model", "capacitor=esr:0.1,esl:0.4n", "--part-model",
                    "inductor=q:50,cp:0.14p"};

struct PartModelCase {
  std::string_view value;
  bool accepted;
};

class PartModelOptionTest : public ::testing::TestWithParam<PartModelCase> {};

TEST_P(PartModelOptionTest, ReadsTheGrammarAndRefusesTheRest) {
  LossOptions options;
  std::string error;
  const PartModelCase& c = GetParam();
  EXPECT_EQ(ApplyLossOption("--part-model", c.value, options, error), c.accepted) << c.value;
  EXPECT_EQ(error.empty(), c.accepted) << error;
  if (!c.accepted) {
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_TRUE(error.starts_with("--part-model")) << error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PartModelOptionTest,
    ::testing::Values(
        PartModelCase{"capacitor=esr:0.05,esl:0.4n", true}, PartModelCase{"c=esl:400p", true},
        PartModelCase{"inductor=q:60,law:0.5", true}, PartModelCase{"2=q:60,cp:0.15p", true},
        PartModelCase{"3=ideal", true}, PartModelCase{"1=esr:0.1,leak:10k", true},
        PartModelCase{"capacitor", false}, PartModelCase{"capacitor=", false},
        PartModelCase{"4=esr:1", false}, PartModelCase{"resistor=esr:1", false},
        PartModelCase{"2=law:0.5", false}, PartModelCase{"capacitor=esl", false},
        PartModelCase{"capacitor=esl:-1n", false}, PartModelCase{"capacitor=esl:abc", false},
        PartModelCase{"capacitor=foo:1", false}, PartModelCase{"inductor=law:9", false}));

TEST(PartModelOptions, KindsAndElementsSetTheirOwnModels) {
  LossOptions options;
  std::string error;
  ASSERT_TRUE(ApplyLossOption("--part-model", "capacitor=esr:0.05,esl:0.4n", options, error));
  ASSERT_TRUE(ApplyLossOption("--part-model", "2=q:60,cp:0.15p", options, error));
  // Repeatable, unlike the Q options.
  ASSERT_TRUE(ApplyLossOption("--part-model", "inductor=cp:0.2p", options, error)) << error;
  const PartQ c = ElementQ(options.model, 1, PartKind::Capacitor);
  EXPECT_DOUBLE_EQ(c.esr, 0.05);
  EXPECT_NEAR(c.esl, 0.4e-9, 1e-24);
  const PartQ two = ElementQ(options.model, 2, PartKind::Inductor);
  EXPECT_EQ(two.q0, 60.0);
  EXPECT_NEAR(two.cp, 0.15e-12, 1e-27);
  EXPECT_EQ(two.esl, 0.0);  // the element's parasitics replace its kind's whole
  EXPECT_NEAR(ElementQ(options.model, 3, PartKind::Inductor).cp, 0.2e-12, 1e-27);
  EXPECT_TRUE(options.given);
}

TEST(PartModelCommands, DesignReportsModelsResonancesAndTheReSolve) {
  const CliRun run = RunCli(Concat({{"design", "--json", "--compensate"}, kAmplifier, k0402}));
  ASSERT_EQ(run.status, 0) << run.err;
  const Json losses = Json::parse(run.out)["losses"];
  const Json& parts = losses["parts"];
  EXPECT_EQ(parts[0]["model"], "ESR 0.1 ohm, ESL 0.4 nH");
  EXPECT_EQ(parts[1]["model"], "Q 50 (skin effect), Cp 0.14 pF");
  // 42.174 pF with 0.4 nH; 7.2588 nH with 0.14 pF.
  EXPECT_NEAR(parts[0]["self_resonance_hz"].get<double>(), 1.2254e9, 1e6);
  EXPECT_NEAR(parts[1]["self_resonance_hz"].get<double>(), 4.9926e9, 1e6);
  EXPECT_NEAR(parts[0]["f0_over_srf"].get<double>(), 433e6 / 1.2254e9, 1e-3);
  EXPECT_TRUE(losses["warnings"].empty());
  // Real parts miss the match before the re-solve and make it after.
  EXPECT_LT(losses["return_loss_db"].get<double>(), 20.0);
  EXPECT_TRUE(losses["compensated"]["matched"].get<bool>());
  EXPECT_GT(losses["compensated"]["return_loss_db"].get<double>(), 40.0);
}

TEST(PartModelCommands, APartNearItsResonanceIsWarnedAbout) {
  // 2.2 nH of ESL puts the 42 pF input capacitor's resonance at 524 MHz: 0.83 of it at f0.
  const CliRun run = RunCli(Concat({{"design", "--part-model", "1=esr:0.1,esl:2.2n"}, kAmplifier}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("warning: element 1 works at 0.83 of its self-resonant frequency"),
            std::string::npos)
      << run.out;
  const CliRun above = RunCli(Concat({{"sweep", "--part-model", "1=esr:0.1,esl:4n"}, kAmplifier}));
  ASSERT_EQ(above.status, 0) << above.err;
  EXPECT_NE(above.out.find("warning: element 1 is above its self-resonant frequency"),
            std::string::npos)
      << above.out;
  EXPECT_NE(above.out.find("a capacitor there acts as an inductor"), std::string::npos);
}

TEST(PartModelCommands, SweepAndBomNameEachPartsModel) {
  const CliRun sweep = RunCli(Concat({{"sweep", "--format", "json"}, kAmplifier, k0402}));
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  const Json json = Json::parse(sweep.out);
  ASSERT_EQ(json["part_models"].size(), 3u);
  EXPECT_EQ(json["part_models"][2]["model"], "ESR 0.1 ohm, ESL 0.4 nH");
  const CliRun bom = RunCli(Concat({{"export", "bom"}, kAmplifier, k0402}));
  ASSERT_EQ(bom.status, 0) << bom.err;
  EXPECT_NE(bom.out.find(",model,srf_hz\n"), std::string::npos) << bom.out;
  EXPECT_NE(bom.out.find(",ESR 0.1 ohm; ESL 0.4 nH,"), std::string::npos) << bom.out;
}

TEST(PartModelCommands, PartFilesAreReadAndTheirBandKept) {
  const corvantile::testing::ScratchFolder folder;
  // A 1-port of a capacitor-like part from 200 MHz to 6 GHz, two points.
  const std::string path = (folder.path() / "cap.s1p").string();
  corvantile::testing::WriteBytes(folder.path() / "cap.s1p",
                                  "# MHz S RI R 50\n200 -0.1 -0.99\n6000 -0.5 0.8\n");
  const std::string option = "1=" + path;
  const CliRun design = RunCli(Concat({{"design", "--part-file", option}, kAmplifier}));
  EXPECT_EQ(design.status, 0) << design.err;
  EXPECT_NE(design.out.find("file cap.s1p (1-port)"), std::string::npos) << design.out;

  // The default sweep starts at a quarter of f0, below the file's band.
  const CliRun sweep = RunCli(Concat({{"sweep", "--part-file", option}, kAmplifier}));
  EXPECT_EQ(sweep.status, 2);
  EXPECT_EQ(sweep.err,
            "corvantile-cli: sweep: element 1: 108.25 MHz is outside cap.s1p's band (200 MHz to "
            "6 GHz)\n");
  const CliRun inside = RunCli(
      Concat({{"sweep", "--part-file", option, "--from", "200M", "--to", "1G"}, kAmplifier}));
  EXPECT_EQ(inside.status, 0) << inside.err;

  const std::string missing = "2=" + (folder.path() / "none.s2p").string();
  const CliRun unread = RunCli(Concat({{"design", "--part-file", missing}, kAmplifier}));
  EXPECT_EQ(unread.status, 2);
  EXPECT_NE(unread.err.find("none.s2p"), std::string::npos) << unread.err;
  EXPECT_EQ(std::count(unread.err.begin(), unread.err.end(), '\n'), 1);
}

TEST(PartModelCommands, ExploreScoresTheDesignsPiWithItsParasitics) {
  const CliRun design =
      RunCli(Concat({{"design", "--json", "--phase", "-135"}, kAmplifier, k0402}));
  ASSERT_EQ(design.status, 0) << design.err;
  const double efficiency = Json::parse(design.out)["losses"]["efficiency"].get<double>();
  const CliRun run =
      RunCli(Concat({{"explore", "--format", "json", "--phase", "-135"}, kAmplifier, k0402}));
  ASSERT_EQ(run.status, 0) << run.err;
  int found = 0;
  const Json explored = Json::parse(run.out);
  for (const Json& c : explored["candidates"]) {
    if (c["kind"] != "Pi" || !c["at_user_phase"].get<bool>()) continue;
    EXPECT_NEAR(c["efficiency"].get<double>(), efficiency, 1e-9);
    ++found;
  }
  EXPECT_EQ(found, 1);
}

// A design saved with its parts' models is the same design read back: the session's models are
// used, and --part-model given with it applies over them.
TEST(PartModelCommands, ASessionKeepsItsModelsAndWarnings) {
  const corvantile::testing::ScratchFolder folder;
  const std::string session = (folder.path() / "real.cfg").string();
  const CliRun saved = RunCli(Concat(
      {{"design", "--json", "--save", session, "--part-model", "1=esr:0.1,esl:2.2n"}, kAmplifier}));
  ASSERT_EQ(saved.status, 0) << saved.err;
  const Json before = Json::parse(saved.out)["losses"];
  ASSERT_EQ(before["warnings"].size(), 1u);
  // The settings file holds the text as given.
  const Json settings =
      Json::parse(corvantile::testing::ReadBytes(folder.path() / "real.json"))["losses"];
  EXPECT_EQ(settings["element_model"][0], "esr:0.1,esl:2.2n");

  const CliRun read = RunCli({"design", "--json", "--session", session});
  ASSERT_EQ(read.status, 0) << read.err;
  const Json after = Json::parse(read.out)["losses"];
  EXPECT_EQ(after["warnings"], before["warnings"]);
  EXPECT_EQ(after["parts"][0]["self_resonance_hz"], before["parts"][0]["self_resonance_hz"]);
  const CliRun text = RunCli({"design", "--session", session});
  EXPECT_NE(text.out.find("warning: element 1 works at 0.83 of its self-resonant frequency"),
            std::string::npos)
      << text.out;

  // Over the session: element 1 loses its ESL, element 2 gains Cp; the rest stays.
  const CliRun over = RunCli({"design", "--json", "--session", session, "--part-model", "1=esr:0.1",
                              "--part-model", "2=cp:0.15p"});
  ASSERT_EQ(over.status, 0) << over.err;
  const Json parts = Json::parse(over.out)["losses"]["parts"];
  EXPECT_EQ(parts[0]["model"], "ESR 0.1 ohm");
  EXPECT_NE(parts[1]["model"].get<std::string>().find("Cp 0.15 pF"), std::string::npos);
  EXPECT_TRUE(Json::parse(over.out)["losses"]["warnings"].empty());
}

// Every entry of the library is typed as it stands and gives the self-resonance it states.
TEST(PartModelLibrary, EveryEntryReadsAndResonatesWhereItSays) {
  const Json library = Json::parse(corvantile::testing::ReadBytes(
      std::filesystem::path(CORVANTILE_TEST_DATA_DIR) / "part_models.json"));
  ASSERT_GE(library["parts"].size(), 6u);
  for (const Json& entry : library["parts"]) {
    const std::string name = entry["name"];
    SCOPED_TRACE(name);
    EXPECT_FALSE(entry["source"].get<std::string>().empty());
    LossOptions options;
    std::string error;
    const std::string option = entry["option"];
    ASSERT_TRUE(ApplyLossOption("--part-model", option, options, error)) << error;
    const bool capacitor = entry["kind"] == "capacitor";
    const CircuitPart part{capacitor ? PartKind::Capacitor : PartKind::Inductor,
                           entry["value"].get<double>()};
    const double srf = SelfResonantFrequency(part, ElementQ(options.model, 1, part.kind));
    const double stated = entry["srf_hz"].get<double>();
    EXPECT_NEAR(srf, stated, 0.01 * stated);
  }
}

}  // namespace
}  // namespace corvantile::cli
