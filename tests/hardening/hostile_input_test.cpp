// Hostile input, tried as a careful tester would: every case of the kind that once crashed,
// lost a file, reported a wrong result as success, hung or gave a misleading message has a row
// here. Each row is a small shell script run in a fresh folder against the built programs; it
// must end within its time limit (no hang), with its exit status, a one-line error holding the
// expected words, and its check script (the old file intact, nothing left behind) passing.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/files.h"
#include "support/process.h"

namespace corvantile::hardening {
namespace {

using testing::ScratchFolder;

enum class Program { Cli, Desktop };

struct HostileCase {
  const char* name;  // the case number first
  Program program;
  const char* script;  // $CLI, $APP and $DATA are set; runs in a fresh folder
  int status;
  const char* message;  // in the one line on stderr; "" for no error line
  const char* check;    // a script that must succeed afterwards; "" for none
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

// A 1-port file of a few points, and the same as version 2.0.
constexpr const char* kOnePort =
    "printf '# MHz S RI R 50\\n1 0.1 0.2\\n2 0.2 0.1\\n3 0.3 0\\n' > a.s1p; ";
constexpr const char* kVersion2 =
    "printf '[Version] 2.0\\n# MHz S RI R 50\\n[Number of Ports] 1\\n[Number of Frequencies] 2\\n"
    "[Network Data]\\n1 0.1 0.2\\n2 0.2 0.1\\n[End]\\n' > b.ts; ";

std::string S(const char* a, const char* b) { return std::string(a) + b; }

// The cases, numbered as the issue numbers them.
std::vector<HostileCase> Cases() {
  static const std::string bom = S(kOnePort,
                                   "printf '\\357\\273\\277' > bom.s1p; cat a.s1p >> bom.s1p; "
                                   "$CLI touchstone bom.s1p");
  static const std::string cr = S(kOnePort,
                                  "tr '\\n' '\\r' < a.s1p > cr.s1p; $CLI touchstone cr.s1p "
                                  "| grep -q '3 points'");
  static const std::string pipe2 =
      S(kVersion2, "cat b.ts | $CLI touchstone /dev/stdin | grep -q '2 points'");
  static const std::string pipe1 = S(kOnePort, "cat a.s1p | $CLI touchstone /dev/stdin");
  static const std::string dash = S(kVersion2, "$CLI touchstone - < b.ts | grep -q '2 points'");
  static const std::string procsub =
      S(kVersion2, "$CLI touchstone <(cat b.ts) | grep -q '2 points'");
  static const std::string portTwice = S(kOnePort, "$CLI touchstone a.s1p --port 1 --port 1");
  static const std::string onePoint =
      "printf '# MHz S RI R 50\\n3.75 0.1 0.2\\n' > one.s1p; $CLI sweep --load-file one.s1p";
  static const std::vector<HostileCase> cases = {
      // 1. A folder where a file is read.
      {"1_FolderAsLastSessionJson", Program::Desktop,
       "mkdir LastSession.json; $APP --screenshot p.png --window design", 0, "", "test -s p.png"},
      {"1_FolderAsLastSessionCfg", Program::Desktop,
       "mkdir LastSession.CFG; $APP --screenshot p.png --window design", 0, "", "test -s p.png"},
      {"1_FolderAsSession", Program::Cli, "mkdir s.CFG; $CLI design --session s.CFG", 2,
       "cannot read session file 's.CFG': Is a directory", ""},
      {"1_FolderAsTouchstone", Program::Cli, "mkdir x.s1p; $CLI touchstone x.s1p", 2,
       "x.s1p: cannot be read: Is a directory", ""},
      // 2. A settings file nested far too deep.
      {"2_DeepSettings", Program::Desktop,
       "python3 -c \"print('{\\\"version\\\":1,\\\"x\\\":' + '[' * 100000 + ']' * "
       "100000 + '}')\" "
       "> LastSession.json; $APP --screenshot p.png --window design",
       0, "", "test -s p.png"},
      // 3. Input without a newline, without end.
      {"3_TouchstoneDevZero", Program::Cli, "$CLI touchstone /dev/zero", 2,
       "zero:1: the line is longer than 16 MiB", ""},
      {"3_LoadFileDevZero", Program::Cli, "$CLI design --load-file /dev/zero", 2,
       "the line is longer than 16 MiB", ""},
      {"3_SourceFileDevZero", Program::Cli, "$CLI design --source-file /dev/zero", 2,
       "the line is longer than 16 MiB", ""},
      {"3_SessionDevZero", Program::Cli, "$CLI design --session /dev/zero", 2,
       "cannot read session file '/dev/zero': it is larger than 64 KiB", ""},
      {"3_DesktopMeasuredDevZero", Program::Desktop,
       "printf '{\"version\":1,\"measured\":{\"load\":{\"file\":\"/dev/zero\"}}}' > "
       "LastSession.json; $APP --screenshot p.png --window design",
       0, "", "test -s p.png"},
      // 4. Replacing what is not a regular file.
      {"4_OutputToFifo", Program::Cli, "mkfifo f; $CLI design -o f", 2,
       "cannot write 'f': it is not a regular file", "test -p f"},
      {"4_SaveToFifo", Program::Cli, "mkfifo f; $CLI design --save f", 2,
       "--save: cannot write 'f': it is not a regular file", "test -p f"},
      {"4_OutputToDevice", Program::Cli,
       "if [ \"$(id -u)\" = 0 ]; then mknod d c 1 3; else mkfifo d; fi; $CLI design -o "
       "d",
       2, "cannot write 'd': it is not a regular file", "test -c d || test -p d"},
      {"4_OutputThroughLink", Program::Cli,
       "echo old > real.txt; ln -s real.txt link; $CLI design -o link", 0, "",
       "test -L link && grep -q 'Corvantile design' real.txt && test $(ls -A | wc -l) "
       "= 3"},  // and check.sh
      {"4_OutputThroughDanglingLink", Program::Cli, "ln -s new.txt link; $CLI design -o link", 0,
       "", "test -L link && grep -q 'Corvantile design' new.txt"},
      // 5. explore -o goes through the one writer.
      {"5_ExploreReadOnly", Program::Cli,
       "echo old > r.txt; chmod 444 r.txt; $CLI explore -o r.txt", 2,
       "cannot write 'r.txt': the file is read-only", "test \"$(cat r.txt)\" = old"},
      {"5_ExploreNoFolder", Program::Cli, "$CLI explore -o none/x.txt", 2,
       "cannot write 'none/x.txt': No such file or directory", "test ! -e none"},
      {"5_ExploreReplaces", Program::Cli, "echo old > e.csv; $CLI explore --format csv -o e.csv", 0,
       "", "grep -q , e.csv && test $(ls -A | wc -l) = 2"},  // and check.sh
                                                             // 6. The desktop program's picture
                                                             // goes through the one writer.
      {"6_ScreenshotReadOnly", Program::Desktop,
       "echo old > p.png; chmod 444 p.png; $APP --screenshot p.png", 1,
       "cannot write 'p.png': the file is read-only", "test \"$(cat p.png)\" = old"},
      {"6_ScreenshotFifo", Program::Desktop, "mkfifo p.png; $APP --screenshot p.png", 1,
       "cannot write 'p.png': it is not a regular file", "test -p p.png"},
      // 7. A killed run's temporary files are removed by the next write.
      {"7_StaleTemporaryFiles", Program::Cli,
       "echo x > .out.txt.corvantile-2147483647.tmp; echo x > out.txt.tmp2147483646; "
       "echo x > .out.txt.corvantile-1.tmp; $CLI design -o out.txt",
       0, "",
       "test ! -e .out.txt.corvantile-2147483647.tmp && test ! -e "
       "out.txt.tmp2147483646 && "
       "test -e .out.txt.corvantile-1.tmp"},
      // 8. Values altered silently.
      {"8_FrequencyBeyondRange", Program::Cli, "$CLI design --frequency 50G", 2,
       "--frequency: '50G' is outside 1 mHz to 10 GHz", ""},
      {"8_PhaseHuge", Program::Cli, "$CLI design --phase 1e400", 2,
       "--phase: '1e400' is outside -180 deg to 180 deg", ""},
      {"8_Comma", Program::Cli, "$CLI design --frequency 1,5M", 2, "'1,5M' is not a value", ""},
      {"8_LetterO", Program::Cli, "$CLI design --frequency 5O", 2, "'5O' is not a value", ""},
      {"8_PrefixAfterExponent", Program::Cli, "$CLI design --frequency 1e3G", 2,
       "'1e3G' is not a value", ""},
      {"8_ExponentOnly", Program::Cli, "$CLI design --frequency e5", 2, "'e5' is not a value", ""},
      {"8_FixTwoEquals", Program::Cli, "$CLI design --fix x1=5=6", 2, "'5=6' is not a value", ""},
      {"8_TooManyCharacters", Program::Cli, "$CLI design --frequency 1234567890123e-3", 2,
       "has more than 12 characters", ""},
      {"8_BelowRange", Program::Cli, "$CLI design --frequency 0.000000000001", 2,
       "'0.000000000001' is outside 1 mHz to 10 GHz", ""},
      {"8_LossOptionsAgree", Program::Cli, "$CLI design --q-inductor 1e3G", 2,
       "--q-inductor: '1e3G' is not a value", ""},
      {"8_LossPrefixRead", Program::Cli,
       "$CLI design --q-inductor 1k | grep -q '2  1000 (skin effect)'", 0, "", ""},
      // 9. Designs the program cannot make, and options that cannot mean anything.
      {"9_FrequencyTiny", Program::Cli, "$CLI design --frequency 1e-30", 2,
       "'1e-30' is outside 1 mHz to 10 GHz", ""},
      {"9_Phase360", Program::Cli, "$CLI design --phase 360", 2,
       "'360' is outside -180 deg to 180 deg", ""},
      {"9_Phase720", Program::Cli, "$CLI design --phase=-720", 2, "is outside -180 deg", ""},
      {"9_ZeroOhmLoad", Program::Cli, "$CLI design --load series:0:0", 2,
       "is zero ohms, which no network can match", ""},
      {"9_ZeroOhmSource", Program::Cli, "$CLI design --source parallel:50:0", 2,
       "is zero ohms, which no network can match", ""},
      {"9_PowerHuge", Program::Cli, "$CLI design --power 1e9", 2, "is outside 1 mW to 100 MW", ""},
      {"9_PowerTiny", Program::Cli, "$CLI design --power 1e-45", 2, "is outside 1 mW to 100 MW",
       ""},
      {"9_BomTolerance", Program::Cli, "$CLI export bom --tolerance 101%", 2,
       "--tolerance: '101%' is outside 0 % to 50 %", ""},
      {"9_BandThreeFields", Program::Cli, "$CLI tolerance --band 3.6M:3.9M:4M", 2,
       "--band takes F1:F2, two frequencies", ""},
      {"9_SaveTwice", Program::Cli, "$CLI design --save a --save b", 2,
       "--save may be given only once", "test ! -e a && test ! -e b"},
      {"9_FixTwice", Program::Cli, "$CLI design --fix x1=5 --fix x2=7", 2,
       "--fix may be given only once", ""},
      {"9_ToleranceTwice", Program::Cli, "$CLI tolerance --tol1 5 --tol1 6", 2,
       "--tol1 may be given only once", ""},
      {"9_PortTwice", Program::Cli, portTwice.c_str(), 2, "--port may be given only once", ""},
      // 10. One-port lines in a two-port file.
      {"10_OnePortLinesInS2p", Program::Cli,
       "printf '# MHz S RI R 50\\n1 0.1 0.2\\n2 0.2 0.1\\n3 0.3 0\\n' > c.s2p; $CLI "
       "touchstone "
       "c.s2p",
       2,
       "c.s2p: every data line holds 3 numbers, a 1-port record, but a 2-port record "
       "is 9 "
       "numbers (1-port data belongs in a .s1p file)",
       ""},
      // 11. Streams that cannot seek, read once.
      {"11_PipeVersion2", Program::Cli, pipe2.c_str(), 0, "", ""},
      {"11_PipeVersion1NeedsName", Program::Cli, pipe1.c_str(), 2, "the number of ports is unknown",
       ""},
      {"11_StandardInput", Program::Cli, dash.c_str(), 0, "", ""},
      {"11_ProcessSubstitution", Program::Cli, procsub.c_str(), 0, "", ""},
      {"11_FifoWithoutWriter", Program::Cli, "mkfifo f.s1p; $CLI touchstone f.s1p", 2,
       "f.s1p: no network data", ""},
      {"11_SessionFifoWithoutWriter", Program::Cli, "mkfifo s; $CLI design --session s", 0,
       "note: session file 's' is incomplete", ""},
      {"11_DesktopSessionFifo", Program::Desktop,
       "mkfifo LastSession.CFG; $APP --screenshot p.png --window design", 0, "", "test -s p.png"},
      {"11_DesktopMeasuredFifo", Program::Desktop,
       "mkfifo m.s1p; printf "
       "'{\"version\":1,\"measured\":{\"load\":{\"file\":\"m.s1p\"}}}' > "
       "LastSession.json; $APP --screenshot p.png --window design",
       0, "", "test -s p.png"},
      // 12. A large listing streams: 400,000 points listed as JSON within 150 MB of
      // address
      // space (the old listing held every point's text several times over).
      {"12_LargeListingStreams", Program::Cli,
       "awk 'BEGIN { print \"# Hz S RI R 50\"; for (i = 1; i <= 400000; i++) "
       "printf \"%d 0.125 -0.25\\n\", i }' > big.s1p; "
       "(ulimit -v 150000; $CLI touchstone big.s1p --format json | tail -c 60 | grep "
       "-q ']}')",
       0, "", ""},
      // 13. Messages.
      {"13_ByteOrderMark", Program::Cli, bom.c_str(), 0, "", ""},
      {"13_CarriageReturnsOnly", Program::Cli, cr.c_str(), 0, "", ""},
      {"13_FourNumbersOnOnePortLine", Program::Cli,
       "printf '# MHz S RI R 50\\n1 0.1 0.2\\n2 0.2 0.1 9\\n' > d.s1p; $CLI touchstone "
       "d.s1p",
       2,
       "d.s1p:3: expected 3 numbers, found 1 (a record begins inside line 3, after its 3rd "
       "number; a 1-port record is 3 numbers)",
       ""},
      {"13_SweepOnePointNamesFile", Program::Cli, onePoint.c_str(), 2,
       "one.s1p holds a single frequency", ""},
      {"13_OutputToFolder", Program::Cli, "$CLI design -o .", 2, "cannot write '.': Is a directory",
       ""},
      {"13_SaveGivesReason", Program::Cli, "$CLI design --save none/s.CFG", 2,
       "--save: cannot write 'none/s.CFG': No such file or directory", ""},
      {"13_NewlineInValue", Program::Cli, "$CLI design --frequency \"$(printf '1\\n2')\"", 2,
       "'1\\n2' is not a value", ""},
      {"13_NewlineInFileName", Program::Cli, "$CLI touchstone \"$(printf 'a\\nb.s1p')\"", 2,
       "a\\nb.s1p: cannot be read", ""},
      {"13_LongValueCut", Program::Cli,
       "$CLI design --frequency \"$(head -c 60000 /dev/zero | tr '\\0' 7)\"", 2,
       "...' (60000 characters) is outside", ""},
      {"13_NoArguments", Program::Cli, "$CLI", 2, "corvantile-cli: needs a command", ""},
      // Every word an option names is quoted and cut the same way as a value.
      {"13_LongSeriesCut", Program::Cli,
       "$CLI standard --series-capacitor \"$(head -c 5000 /dev/zero | tr '\\0' x)\"", 2,
       "...' (5000 characters) (use E3", ""},
      {"13_LongSortCut", Program::Cli,
       "$CLI explore --sort \"$(head -c 5000 /dev/zero | tr '\\0' x)\"", 2,
       "...' (5000 characters) (use bandwidth", ""},
      {"13_LongCableCut", Program::Cli,
       "$CLI design --line \"$(head -c 5000 /dev/zero | tr '\\0' x):30\"", 2,
       "characters)", ""},
  };
  return cases;
}

class HostileInput : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileInput, EndsInAClearRefusalOrACorrectReading) {
  const HostileCase& c = GetParam();
#ifndef CORVANTILE_APP_PATH
  if (c.program == Program::Desktop) GTEST_SKIP() << "the desktop program is not built";
  const std::string app;
#else
  const std::string app = CORVANTILE_APP_PATH;
#endif
#ifdef CORVANTILE_SANITIZED
  if (std::string(c.name).starts_with("12_")) {
    GTEST_SKIP() << "a sanitized program cannot run within an address-space limit";
  }
#endif
  const ScratchFolder folder;
  testing::WriteBytes(folder.path() / "run.sh", c.script);
  int status = -1;
  // Each case is given a minute: a hang ends in timeout's 124.
  testing::RunCommand("cd " + testing::Quoted(folder.path()) + " && CLI=" +
                          testing::Quoted(CORVANTILE_CLI_PATH) + " APP=" + testing::Quoted(app) +
                          " QT_QPA_PLATFORM=offscreen timeout 60 bash run.sh >out.txt 2>err.txt",
                      status);
  const std::string err = testing::ReadBytes(folder.path() / "err.txt");
  EXPECT_EQ(status, c.status) << err;
  if (*c.message == '\0') {
    EXPECT_EQ(err, "");
  } else {
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    // One line, and short, whatever was typed.
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_LT(err.size(), 400u) << err;
  }
  if (*c.check != '\0') {
    testing::WriteBytes(folder.path() / "check.sh", c.check);
    int checked = -1;
    testing::RunCommand("cd " + testing::Quoted(folder.path()) +
                            " && rm -f run.sh out.txt err.txt && bash check.sh",
                        checked);
    EXPECT_EQ(checked, 0) << c.check;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileInput, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace corvantile::hardening
