// The corvantile program run as a user runs it: screenshots without a display, the command
// line's errors, and the message when there is no display at all.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "state/circuit_state.h"
#include "state/session_file.h"
#include "support/numbers.h"
#include "support/process.h"
#include "toolkit/geometry.h"

namespace corvantile {
namespace {

using testing::Round;

struct Outcome {
  int exitCode = -1;
  QByteArray out, err;
};

// Runs the program in `dir` with no display of any kind.
Outcome RunProgram(const QStringList& args, const QString& dir) {
  std::vector<std::string> arguments;
  for (const QString& arg : args) arguments.push_back(arg.toStdString());
  const testing::ProgramRun run = testing::RunProgram(
      CORVANTILE_PROGRAM, arguments,
      {dir.toStdString(), {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, 60});
  return {run.status, QByteArray::fromStdString(run.out), QByteArray::fromStdString(run.err)};
}

class ProgramTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  QTemporaryDir dir;
};

TEST_F(ProgramTest, ScreenshotDrawsTheDefaultDesignWithoutADisplayOrASessionFile) {
  const Outcome run = RunProgram({"--screenshot", "design.png"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
  EXPECT_FALSE(QFile::exists(Path("LastSession.CFG")));

  const QImage picture(Path("design.png"));
  ASSERT_EQ(picture.size(), QSize(1024, 768));
  QSet<QRgb> colours;
  for (int y = 0; y < picture.height(); y += 4) {
    for (int x = 0; x < picture.width(); x += 4) colours.insert(picture.pixel(x, y));
  }
  EXPECT_GT(colours.size(), 20);

  // Where the symbols are: dark pixels on the source's resistor, its rails and the load's
  // resistor; none in the middle of the source's ladder.
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForMainWindow(
      toolkit::ScreenTwips::FromPixels(1024, 768), 11880, 8190);
  const auto dark = [&](double x, double y) {
    return qGray(picture.pixel(Round(scale.XToPixels(x)), Round(scale.YToPixels(y)))) < 100;
  };
  EXPECT_TRUE(dark(1560, 1000));   // source resistor lead
  EXPECT_TRUE(dark(2000, 800));    // upper rail
  EXPECT_TRUE(dark(2000, 1840));   // lower rail
  EXPECT_TRUE(dark(10340, 1000));  // load resistor lead
  EXPECT_FALSE(dark(2000, 1300));
  int networkInk = 0;  // the Pi network over the panel
  for (double x = 4800; x < 8400; x += 10) networkInk += dark(x, 1840) ? 1 : 0;
  EXPECT_GT(networkInk, 100);
}

TEST_F(ProgramTest, ScreenshotFollowsTheScreenSizeAndTheSessionFile) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = FamilyTee;
  ASSERT_TRUE(WriteSession(state, Path("tee.cfg").toStdString()));

  ASSERT_EQ(RunProgram({"--screenshot", "pi.png", "--screen", "1280x800"}, dir.path()).exitCode, 0);
  const Outcome tee = RunProgram(
      {"--session", "tee.cfg", "--screenshot", "tee.png", "--screen", "1280x800"}, dir.path());
  ASSERT_EQ(tee.exitCode, 0) << tee.err.toStdString();
  const QImage pi(Path("pi.png")), teePicture(Path("tee.png"));
  EXPECT_EQ(pi.size(), QSize(1280, 800));
  EXPECT_EQ(teePicture.size(), QSize(1280, 800));
  EXPECT_NE(pi, teePicture);
}

struct Refusal {
  QStringList args;
  int exitCode;
  const char* mentions;
};

class ProgramRefusalTest : public ProgramTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ProgramRefusalTest, SaysWhyOnOneLine) {
  const Outcome run = RunProgram(GetParam().args, dir.path());
  EXPECT_EQ(run.exitCode, GetParam().exitCode);
  EXPECT_TRUE(run.err.startsWith("corvantile: ")) << run.err.toStdString();
  EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(GetParam().mentions)) << run.err.toStdString();
  EXPECT_TRUE(run.out.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ProgramRefusalTest,
    ::testing::Values(Refusal{{}, 1, "no display found"},
                      Refusal{{"--session", "x.cfg"}, 1, "--screenshot FILE.png"},
                      Refusal{{"--bogus"}, 2, "--bogus"},
                      Refusal{{"--screenshot"}, 2, "needs a value"},
                      Refusal{{"--screenshot", "a.png", "--screen", "big"}, 2, "WIDTHxHEIGHT"},
                      Refusal{{"--screenshot", "no/such/dir/a.png"}, 1, "cannot write"}));

TEST_F(ProgramTest, HelpShowsTheUsage) {
  const Outcome run = RunProgram({"--help"}, dir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.startsWith("Usage: corvantile")) << run.out.toStdString();
  EXPECT_TRUE(run.err.isEmpty());
}

// help2man makes the man page's SYNOPSIS from the usage lines: "Usage:" then "  or:" lines,
// each whole. A line that only continues a form would land in DESCRIPTION.
TEST_F(ProgramTest, UsageFormsAreWholeLines) {
  const QStringList lines =
      QString::fromUtf8(RunProgram({"--help"}, dir.path()).out).split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith("Usage: corvantile "));
  int forms = 1;
  while (lines[forms].startsWith("  or:  corvantile ")) ++forms;
  EXPECT_EQ(forms, 3);
  EXPECT_TRUE(lines[forms].isEmpty()) << lines[forms].toStdString();
  for (int i = 0; i < forms; ++i) {
    EXPECT_LE(lines[i].size(), 80) << lines[i].toStdString();
    EXPECT_EQ(lines[i].count('['), lines[i].count(']')) << lines[i].toStdString();
  }
}

TEST_F(ProgramTest, VersionNamesTheProgramAndItsVersion) {
  const Outcome run = RunProgram({"--version"}, dir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^corvantile [0-9]+\\.[0-9]+\n$"))
                  .match(QString::fromUtf8(run.out))
                  .hasMatch())
      << run.out.toStdString();
  EXPECT_TRUE(run.err.isEmpty());
}

}  // namespace
}  // namespace corvantile
