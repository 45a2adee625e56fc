// The one builder of the Qt windows: what a look says about visibility, transparency, stacking,
// the focus chain and the window's drawing is what the widgets get.
#include "toolkit/qt/qt_look.h"

#include <array>
#include <span>

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPoint>
#include <QTest>
#include <QWidget>

namespace corvantile::toolkit {
namespace {

constexpr FontLook kFont{"Arial", 9.75, true};
constexpr Rgb kGrey{224, 224, 224};
constexpr Rgb kPink{255, 192, 192};

constexpr std::array kControls{
    ControlLook{.name = "cmdFirst",
                .kind = ControlKind::CommandButton,
                .text = "First",
                .rect = {0, 0, 1500, 450},
                .font = kFont,
                .background = kGrey},
    ControlLook{.name = "cmdSecond",
                .kind = ControlKind::CommandButton,
                .text = "Second",
                .rect = {1500, 0, 1500, 450},
                .font = kFont,
                .background = kGrey,
                .toolTip = "Do the second thing."},
    // Over both buttons: one label behind them, one in front.
    ControlLook{.name = "lblBehind",
                .kind = ControlKind::Label,
                .text = "behind",
                .rect = {0, 150, 3000, 150},
                .font = kFont},
    InFront(Hidden(Transparent(ControlLook{.name = "lblFront",
                                           .kind = ControlKind::Label,
                                           .text = "front",
                                           .rect = {0, 150, 3000, 150},
                                           .font = kFont,
                                           .textColour = Rgb{255, 0, 0},
                                           .background = kPink}))),
};

constexpr WindowLook kLook{.name = "frmTry",
                           .caption = "Try",
                           .clientWidthTwips = 3000,
                           .clientHeightTwips = 1500,
                           .background = Rgb{238, 255, 255},
                           .controls = kControls,
                           .defaultButton = "",
                           .drawColour = Rgb{0, 0, 255},
                           .drawFont = {"Arial", 0, false}};

int StackIndex(QWidget* widget) {
  return static_cast<int>(widget->parentWidget()->children().indexOf(widget));
}

TEST(BuildFromLook, HiddenTransparentAndInFrontAreWhatTheWidgetsGet) {
  QtWindow window(kLook.name);
  BuildFromLook(window, kLook);
  QtControl& front = window.Find("lblFront");
  EXPECT_TRUE(front.widget()->isHidden());
  EXPECT_FALSE(window.Find("lblBehind").widget()->isHidden());
  // Transparent: nothing filled, but the designed colour is kept as the control's.
  EXPECT_FALSE(front.widget()->autoFillBackground());
  EXPECT_EQ(front.background(), kPink);
  EXPECT_EQ(front.widget()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  // A label behind the buttons it overlaps, the one in front over them.
  QWidget* first = window.Find("cmdFirst").widget();
  QWidget* second = window.Find("cmdSecond").widget();
  EXPECT_LT(StackIndex(window.Find("lblBehind").widget()), StackIndex(first));
  EXPECT_GT(StackIndex(front.widget()), StackIndex(second));
  EXPECT_EQ(window.surface().foreground(), (Rgb{0, 0, 255}));
}

TEST(AddFromLook, ControlsAddedLaterJoinTheFocusChainAtItsEnd) {
  QtWindow window(kLook.name);
  BuildFromLook(window, kLook);
  constexpr ControlLook kLater{
      .name = "cmdLater", .kind = ControlKind::CommandButton, .text = "Later", .font = kFont};
  QWidget* last = AddFromLook(window, std::span(&kLater, 1), window.Find("cmdSecond").widget());
  EXPECT_EQ(last, window.Find("cmdLater").widget());
  EXPECT_EQ(last->focusPolicy(), Qt::StrongFocus);
  QWidget* next = window.Find("cmdSecond").widget()->nextInFocusChain();
  while (next->focusPolicy() != Qt::StrongFocus) next = next->nextInFocusChain();
  EXPECT_EQ(next, last);
  // Labels take no focus, so a look of labels alone leaves the chain where it was.
  constexpr ControlLook kNote{
      .name = "lblNote", .kind = ControlKind::Label, .text = "note", .font = kFont};
  EXPECT_EQ(AddFromLook(window, std::span(&kNote, 1), last), last);
}

TEST(BuildFromLook, ATooltipIsWhatTheWidgetShowsOnHover) {
  QtWindow window(kLook.name);
  BuildFromLook(window, kLook);
  EXPECT_EQ(window.Find("cmdSecond").widget()->toolTip(), "Do the second thing.");
  EXPECT_TRUE(window.Find("cmdFirst").widget()->toolTip().isEmpty());
}

// The focus frame in the look's colour runs round the focused button just inside its edge, on
// the button's own grey, and goes with the focus.
TEST(BuildFromLook, TheFocusedButtonIsFramed) {
  QtWindow window(kLook.name);
  BuildFromLook(window, kLook);
  window.widget()->show();
  window.widget()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.widget()));
  QWidget* first = window.Find("cmdFirst").widget();
  QWidget* second = window.Find("cmdSecond").widget();
  const QColor frame(kCommandFocus.colour.r, kCommandFocus.colour.g, kCommandFocus.colour.b);
  const int at = kCommandFocus.inset + kCommandFocus.width / 2;
  auto framed = [&](QWidget* button) {
    const QImage image = button->grab().toImage();
    const double ratio = image.devicePixelRatio();
    const int w = button->width(), h = button->height();
    int hits = 0;
    for (const QPoint p : {QPoint(w / 2, at), QPoint(w / 2, h - 1 - at), QPoint(at, h / 2),
                           QPoint(w - 1 - at, h / 2)}) {
      if (image.pixelColor(static_cast<int>(p.x() * ratio), static_cast<int>(p.y() * ratio)) ==
          frame) {
        ++hits;
      }
    }
    return hits;
  };
  first->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(framed(first), 4);
  EXPECT_EQ(framed(second), 0);
  QTest::keyClick(first, Qt::Key_Tab);
  EXPECT_TRUE(second->hasFocus());
  EXPECT_EQ(framed(first), 0);
  EXPECT_EQ(framed(second), 4);
}

}  // namespace
}  // namespace corvantile::toolkit
