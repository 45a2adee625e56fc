// --window: which window --screenshot pictures, read from the command line and drawn by the
// program without a display.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include "app/app_options.h"
#include "support/process.h"

namespace corvantile {
namespace {

struct WindowCase {
  const char* name;
  ShownWindow window;
};

class ShownWindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(ShownWindowTest, NamesAWindow) {
  const auto parsed = ParseAppOptions(
      std::vector<std::string>{"--screenshot", "a.png", "--window", GetParam().name});
  ASSERT_TRUE(std::holds_alternative<AppOptions>(parsed));
  EXPECT_EQ(std::get<AppOptions>(parsed).window, GetParam().window);
}

INSTANTIATE_TEST_SUITE_P(Names, ShownWindowTest,
                         ::testing::Values(WindowCase{"opening", ShownWindow::Opening},
                                           WindowCase{"design", ShownWindow::Design},
                                           WindowCase{"source", ShownWindow::Source},
                                           WindowCase{"load", ShownWindow::Load},
                                           WindowCase{"frequency", ShownWindow::Frequency},
                                           WindowCase{"power", ShownWindow::Power},
                                           WindowCase{"phase", ShownWindow::Phase},
                                           WindowCase{"response", ShownWindow::Response}));

TEST(ShownWindow, DesignUnlessNamedAndOnlyForScreenshots) {
  const auto plain = ParseAppOptions(std::vector<std::string>{"--screenshot", "a.png"});
  EXPECT_EQ(std::get<AppOptions>(plain).window, ShownWindow::Design);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--screenshot", "a.png", "--window", "Opening"},
        std::vector<std::string>{"--screenshot", "a.png", "--window", "frmDesign"},
        std::vector<std::string>{"--window", "opening"}}) {
    EXPECT_TRUE(std::holds_alternative<AppOptionsError>(ParseAppOptions(args))) << args.back();
  }
}

QImage Screenshot(const QTemporaryDir& dir, const QString& window) {
  const QString file = window + QStringLiteral(".png");
  const testing::ProgramRun run = testing::RunProgram(
      CORVANTILE_PROGRAM, {"--screenshot", file.toStdString(), "--window", window.toStdString()},
      {dir.path().toStdString(), {"DISPLAY", "WAYLAND_DISPLAY"}, 60});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("LastSession.CFG"))));
  return QImage(dir.filePath(file));
}

// The title screen: its blue background fills the picture, dark at the top, light below.
TEST(WindowScreenshot, TitleScreen) {
  QTemporaryDir dir;
  const QImage picture = Screenshot(dir, QStringLiteral("opening"));
  ASSERT_FALSE(picture.isNull());
  EXPECT_GT(picture.width(), 1000);
  EXPECT_GT(picture.height(), 700);
  EXPECT_EQ(picture.pixelColor(2, 2), QColor(0, 0, 64));
  EXPECT_EQ(picture.pixelColor(2, picture.height() - 2), QColor(0, 0, 200));
  EXPECT_EQ(picture.pixelColor(picture.width() - 2, picture.height() - 2), QColor(0, 0, 200));
}

// The dialogs at their own sizes on the default 1024 x 768 screen, on white.
TEST(WindowScreenshot, Dialogs) {
  QTemporaryDir dir;
  const QImage source = Screenshot(dir, QStringLiteral("source"));
  EXPECT_EQ(source.size(), QSize(353, 297));
  EXPECT_EQ(source.pixelColor(2, 2), QColor(255, 255, 255));
  const QImage power = Screenshot(dir, QStringLiteral("power"));
  EXPECT_EQ(power.size(), QSize(307, 230));
  EXPECT_EQ(power.pixelColor(2, 2), QColor(255, 255, 255));
}

// The response window at its first size on the default screen: the plots on white, with the
// return loss (blue) and transducer gain (orange) curves drawn.
TEST(WindowScreenshot, ResponseWindow) {
  QTemporaryDir dir;
  const QImage picture = Screenshot(dir, QStringLiteral("response"));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(972, 675));
  int blue = 0, orange = 0;
  for (int y = 0; y < picture.height(); y += 2) {
    for (int x = 0; x < picture.width(); x += 2) {
      const QColor c = picture.pixelColor(x, y);
      if (c.blue() > 150 && c.red() < 80 && c.green() < 140) ++blue;
      if (c.red() > 170 && c.green() > 60 && c.green() < 120 && c.blue() < 60) ++orange;
    }
  }
  EXPECT_GT(blue, 100);
  EXPECT_GT(orange, 100);
}

}  // namespace
}  // namespace corvantile
