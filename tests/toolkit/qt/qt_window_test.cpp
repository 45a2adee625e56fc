#include "toolkit/qt/qt_window.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QEventLoop>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "support/qt/pixels.h"
#include "toolkit/qt/qt_fonts.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile::toolkit {
namespace {

constexpr Rgb kPaleCyan{238, 255, 255};
constexpr Rgb kRed{255, 0, 0};

using testing::PixelAt;

// The design window's scale on a 1024 x 768 screen.
LogicalScale Scale1024() {
  return LogicalScale::ForMainWindow(ScreenTwips::FromPixels(1024, 768), 11880, 8190);
}

class QtWindowTest : public ::testing::Test {
 protected:
  QtWindowTest() : window("frmTest") {
    window.SetBackground(kPaleCyan);
    window.SetScale(Scale1024());
  }
  QtWindow window;
};

TEST_F(QtWindowTest, FindsControlsByTheirObjectNames) {
  QtControl& button = window.AddButton("cmdGo", "Go");
  window.AddLabel("lblNote", "Note");
  EXPECT_EQ(&window.Find("cmdGo"), &button);
  EXPECT_EQ(window.widget()->objectName(), "frmTest");
  auto* found = window.widget()->findChild<QPushButton*>("cmdGo");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found, button.widget());
  EXPECT_EQ(window.Find("lblNote").Text(), "Note");
  EXPECT_THROW(window.Find("cmdMissing"), std::out_of_range);
}

TEST_F(QtWindowTest, PlacesControlsByTheLogicalScaleWithSharedEdges) {
  const LogicalScale scale = Scale1024();
  QtControl& left = window.AddButton("cmdLeft", "L");
  QtControl& right = window.AddButton("cmdRight", "R");
  left.SetGeometry({1000, 4000, 1800, 300});
  right.SetGeometry({2800, 4000, 1333, 300});
  const QRect a = left.widget()->geometry(), b = right.widget()->geometry();
  EXPECT_EQ(a.left(), std::lround(scale.XToPixels(1000)));
  EXPECT_EQ(a.top(), std::lround(scale.YToPixels(4000)));
  EXPECT_NEAR(a.width(), scale.XToPixels(1800), 1);
  EXPECT_NEAR(a.height(), scale.YToPixels(300), 1);
  EXPECT_EQ(a.right() + 1, b.left());
}

TEST_F(QtWindowTest, CaptionVisibilityAndTexts) {
  window.SetCaption("Corvantile Version 3.01 - design and analysis ");
  EXPECT_EQ(window.widget()->windowTitle(), "Corvantile Version 3.01 - design and analysis ");

  QtControl& label = window.AddLabel("lblHidden", "x");
  EXPECT_TRUE(label.IsVisible());  // visible with its window, before the window is shown
  label.SetVisible(false);
  EXPECT_FALSE(label.IsVisible());
  label.SetText("Series <> parallel");  // plain text, not markup
  EXPECT_EQ(static_cast<QLabel*>(label.widget())->text(), "Series <> parallel");
  EXPECT_EQ(static_cast<QLabel*>(label.widget())->textFormat(), Qt::PlainText);
}

TEST_F(QtWindowTest, OptionButtonsFormOneExclusiveGroup) {
  QtControl& first = window.AddOptionButton("Option1", "inductor");
  QtControl& second = window.AddOptionButton("Option2", "capacitor");
  first.SetChecked(true);
  second.SetChecked(true);
  EXPECT_FALSE(first.IsChecked());
  EXPECT_TRUE(second.IsChecked());
  QtControl& button = window.AddButton("cmdGo", "Go");
  button.SetChecked(true);  // ignored
  EXPECT_FALSE(button.IsChecked());
}

TEST_F(QtWindowTest, ReturnOnAFocusedButtonClicksIt) {
  QtControl& button = window.AddButton("cmdGo", "Go");
  QSignalSpy clicks(static_cast<QAbstractButton*>(button.widget()), &QAbstractButton::clicked);
  QTest::keyClick(button.widget(), Qt::Key_Return);
  QTest::keyClick(button.widget(), Qt::Key_Enter);
  QTest::keyClick(button.widget(), Qt::Key_Escape);
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(QtWindowTest, TheCanvasShowsTheDrawingThroughTransparentLabelsOnly) {
  window.widget()->resize(1024, 768);
  QtControl& clear = window.AddLabel("lblClear", "");
  QtControl& opaque = window.AddLabel("lblOpaque", "");
  clear.SetTransparent(true);
  clear.SetBackground({0, 255, 0});  // kept, never drawn
  opaque.SetBackground({0, 0, 255});
  clear.SetGeometry({1000, 1000, 1000, 1000});
  opaque.SetGeometry({3000, 1000, 1000, 1000});
  window.surface().FillRect(0, 0, 6000, 3000, kRed);

  const QImage image = window.Render();
  const LogicalScale scale = Scale1024();
  const auto at = [&](double x, double y) {
    return PixelAt(image, static_cast<int>(scale.XToPixels(x)),
                   static_cast<int>(scale.YToPixels(y)));
  };
  EXPECT_EQ(at(1500, 1500), kRed);
  EXPECT_EQ(at(3500, 1500), (Rgb{0, 0, 255}));
  EXPECT_EQ(at(7000, 5000), kPaleCyan);
  EXPECT_EQ(clear.background(), (Rgb{0, 255, 0}));
}

TEST_F(QtWindowTest, TheSurfaceCoversTheLayoutBeforeTheWindowIsSized) {
  // The load draws before the window is maximised; the drawing must survive.
  window.surface().Line(11000, 8900, 11900, 8900, kRed);
  window.widget()->resize(1024, 768);
  const QImage image = window.Render();
  const LogicalScale scale = Scale1024();
  EXPECT_EQ(PixelAt(image, static_cast<int>(std::lround(scale.XToPixels(11500))),
                    static_cast<int>(std::lround(scale.YToPixels(8900)))),
            kRed);
}

// Qt family for a Windows font name and its size in pixels for a Windows point size: 9.216 pt
// on a 768-line screen is 12.3 pixels, as at 96 dpi.
struct FontCase {
  const char* family;
  double points;
  const char* qtFamily;
  int pixels;
};

class QtFontTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(QtFontTest, WindowsFontsResolveToTheLiberationFontsAtNinetySixDpi) {
  const FontCase& font = GetParam();
  QtWindow window("frmFonts");
  QtControl& label = window.AddLabel("lbl", "Text");
  label.SetFont(font.family, false, font.points);
  const QFontInfo info(label.widget()->font());
  EXPECT_EQ(info.family(), font.qtFamily);
  EXPECT_EQ(info.pixelSize(), font.pixels);
}

INSTANTIATE_TEST_SUITE_P(Fonts, QtFontTest,
                         ::testing::Values(FontCase{"Arial", 9.216, "Liberation Sans", 12},
                                           FontCase{"Arial", 9.75, "Liberation Sans", 13},
                                           FontCase{"Times New Roman", 90, "Liberation Serif", 120},
                                           FontCase{"Microsoft Sans Serif", 14.25,
                                                    "Liberation Sans", 19}));

TEST(QtPlatformTest, ReportsTheForcedScreenOrTheRealOne) {
  EXPECT_EQ(QtPlatform(ScreenTwips::FromPixels(1920, 1080)).screen().height, 16200);
  const QRect real = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(QtPlatform().screen().width, real.width() * 15.0);
}

TEST(QtPlatformTest, ShowsRegisteredDialogsAndIgnoresTheOthers) {
  QtPlatform platform;
  int shown = 0;
  platform.ShowDialog(DialogId::Power);
  platform.RegisterDialog(DialogId::Frequency, [&] { ++shown; });
  platform.ShowDialog(DialogId::Frequency);
  platform.ShowDialog(DialogId::Phase);
  EXPECT_EQ(shown, 1);
}

TEST(QtPlatformTest, MessageBoxIsTitledCorvantileWithOneOkButton) {
  QtPlatform platform;
  QString title, text;
  int buttons = 0;
  QMessageBox::Icon icon = QMessageBox::Warning;
  // Read the box once its modal loop runs, then dismiss it.
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  platform.ShowMessage("You cannot specify the phase in an L-network");
  EXPECT_EQ(title, "Corvantile");
  EXPECT_EQ(text, "You cannot specify the phase in an L-network");
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttons, 1);
}

TEST(QtPlatformTest, QuitLeavesTheEventLoopAfterTheCurrentEvent) {
  QtPlatform platform;
  bool after = false;
  QTimer::singleShot(0, [&] {
    platform.Quit();
    after = true;  // the current event still runs to its end
  });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(after);
}

}  // namespace
}  // namespace corvantile::toolkit
