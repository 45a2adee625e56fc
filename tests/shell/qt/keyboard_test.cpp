// Every window driven by the keyboard: Tab and Shift+Tab reach every command that is shown and
// enabled exactly once, the other way round backwards; Return and Space press the buttons; a
// button with the focus shows it; and every command of the design window says what it does.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "response/qt/frm_response.h"
#include "response/qt/tolerance_page.h"
#include "window_access.h"

namespace corvantile::testing {
namespace {

constexpr int kMostStops = 200;

// The widgets holding the focus as Tab (or Shift+Tab) is pressed from the one holding it now,
// up to and without the one it comes back to.
std::vector<QWidget*> TabWalk(QWidget* window, bool backwards) {
  std::vector<QWidget*> walked;
  QWidget* start = QApplication::focusWidget();
  if (start == nullptr || start->window() != window) {
    ADD_FAILURE() << window->objectName().toStdString() << " has no focus widget";
    return walked;
  }
  walked.push_back(start);
  for (int i = 0; i < kMostStops; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                    backwards ? Qt::ShiftModifier : Qt::NoModifier);
    QWidget* now = QApplication::focusWidget();
    if (now == start) return walked;
    walked.push_back(now);
    if (now == nullptr || now->window() != window) break;
  }
  ADD_FAILURE() << "Tab never comes back to " << Describe(start).toStdString() << "; it went to "
                << Describe(walked.back()).toStdString();
  return walked;
}

class KeyboardTest : public ::testing::TestWithParam<WindowCase> {
 protected:
  ProgramWindows windows;
};

// The option buttons of one exclusive group are one stop for Tab (the checked one); the arrow
// keys move within the group. Every other command is a stop of its own.
QWidget* StopOf(QWidget* command) {
  const auto* option = qobject_cast<QRadioButton*>(command);
  return option != nullptr && option->autoExclusive() ? command->parentWidget() : command;
}

std::string Names(const std::vector<QWidget*>& widgets) {
  std::string names;
  for (const QWidget* widget : widgets) names += "\n  " + Describe(widget).toStdString();
  return names;
}

TEST_P(KeyboardTest, TabReachesEveryCommandOnceAndShiftTabWalksBack) {
  QWidget* window = GetParam().open(windows);
  ASSERT_NE(window, nullptr);
  std::map<QWidget*, std::vector<QWidget*>> stops;  // each stop's commands
  for (QWidget* widget : OperatedWidgets(window)) {
    if (widget->isEnabled()) stops[StopOf(widget)].push_back(widget);
  }
  ASSERT_FALSE(stops.empty());

  const std::vector<QWidget*> forward = TabWalk(window, false);
  std::map<QWidget*, int> visits;
  for (QWidget* widget : forward) {
    EXPECT_TRUE(stops.contains(StopOf(widget)))
        << Describe(widget).toStdString() << " takes the focus but is no command";
    ++visits[StopOf(widget)];
  }
  for (const auto& [stop, commands] : stops) {
    EXPECT_EQ(visits[stop], 1) << Describe(commands.front()).toStdString() << " is reached "
                               << visits[stop] << " times in" << Names(forward);
  }

  // Shift+Tab from the same start visits the same stops in the opposite order.
  forward.front()->setFocus(Qt::BacktabFocusReason);
  std::vector<QWidget*> backward = TabWalk(window, true);
  std::reverse(backward.begin() + 1, backward.end());
  EXPECT_EQ(backward, forward) << "forward" << Names(forward) << "\nbackward" << Names(backward);
}

// Within an exclusive group of option buttons the arrow keys reach every one from the one Tab
// stops at, and choose it.
TEST_P(KeyboardTest, ArrowKeysReachEveryOptionOfAGroup) {
  QWidget* window = GetParam().open(windows);
  ASSERT_NE(window, nullptr);
  std::map<QWidget*, std::set<QWidget*>> groups;
  for (QWidget* widget : OperatedWidgets(window)) {
    if (StopOf(widget) != widget && widget->isEnabled()) groups[StopOf(widget)].insert(widget);
  }
  for (const auto& [group, options] : groups) {
    // From the option Tab stops at (the chosen one), every arrow key from every option reached.
    std::set<QWidget*> reached;
    std::vector<QWidget*> pending;
    for (QWidget* option : options) {
      if (static_cast<QRadioButton*>(option)->isChecked()) pending.push_back(option);
    }
    ASSERT_EQ(pending.size(), 1U) << Describe(group).toStdString();
    while (!pending.empty()) {
      QWidget* from = pending.back();
      pending.pop_back();
      if (!reached.insert(from).second) continue;
      for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left}) {
        from->setFocus(Qt::TabFocusReason);
        QTest::keyClick(from, Qt::Key_Space);  // chosen again, as arrows only move a choice
        QTest::keyClick(from, key);
        auto* now = qobject_cast<QRadioButton*>(QApplication::focusWidget());
        ASSERT_NE(now, nullptr);
        EXPECT_TRUE(now->isChecked()) << Describe(now).toStdString() << ": moved to, not chosen";
        pending.push_back(now);
      }
    }
    EXPECT_EQ(reached, options) << Describe(group).toStdString();
  }
}

// Return presses a focused push button as Space does, in the dialogs (their default button
// aside) and in the plain windows alike.
TEST_P(KeyboardTest, ReturnPressesEveryPushButton) {
  QWidget* window = GetParam().open(windows);
  ASSERT_NE(window, nullptr);
  for (QWidget* widget : OperatedWidgets(window)) {
    const auto* button = qobject_cast<QPushButton*>(widget);
    if (button == nullptr) continue;
    EXPECT_TRUE(button->autoDefault() || button->isDefault()) << Describe(button).toStdString();
  }
}

// How many of the button's pixels differ clearly between the two pictures.
int ChangedPixels(const QImage& a, const QImage& b) {
  int changed = 0;
  for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
    for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
      const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
      const int difference = std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                             std::abs(p.blue() - q.blue());
      if (difference > 90) ++changed;
    }
  }
  return changed;
}

// A button reached with Tab draws a frame that tells it from the others: at least half its
// outline changes clearly when the focus moves on, whatever colour the window gives the button.
TEST_P(KeyboardTest, AButtonWithTheFocusShowsIt) {
  QWidget* window = GetParam().open(windows);
  ASSERT_NE(window, nullptr);
  // Once round first: the focus frame is drawn once the keyboard has moved the focus.
  const std::vector<QWidget*> stops = TabWalk(window, false);
  for (QWidget* stop : stops) {
    ASSERT_EQ(QApplication::focusWidget(), stop);
    auto* button = qobject_cast<QAbstractButton*>(stop);
    const QImage focused = button ? button->grab().toImage() : QImage();
    QTest::keyClick(stop, Qt::Key_Tab);
    if (button == nullptr) continue;
    const QImage plain = button->grab().toImage();
    const int outline = 2 * (plain.width() + plain.height());
    EXPECT_GE(ChangedPixels(focused, plain), outline / 2) << Describe(button).toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, KeyboardTest, ::testing::ValuesIn(EveryWindow()), WindowName);

// The harmless commands pressed by key: "+1" in the design window, "Default span" in the
// response window.
TEST(KeyboardPress, ReturnAndSpacePressTheFocusedButton) {
  ProgramWindows windows;
  const struct {
    QWidget* window;
    const char* button;
  } cases[] = {{windows.OpenDesign(), "cmdPhasePlusOne"},
               {windows.OpenResponse(0), "cmdDefaultSpan"}};
  for (const auto& c : cases) {
    auto* button = c.window->findChild<QAbstractButton*>(QString::fromLatin1(c.button));
    ASSERT_NE(button, nullptr) << c.button;
    c.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(c.window));
    button->setFocus(Qt::TabFocusReason);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 2) << c.button;
  }
}

// Tabbing through the Tolerance page's band box leaves the results alone; typing a band and
// leaving the box builds the networks again.
TEST(KeyboardPress, TabThroughTheBandBoxStartsNoRun) {
  ProgramWindows windows;
  QWidget* window = windows.OpenResponse(2);
  TolerancePage* page = windows.program().response().Window().tolerancePage();
  auto* band = page->findChild<QLineEdit*>();
  ASSERT_NE(band, nullptr);
  ASSERT_FALSE(page->running());
  band->setFocus(Qt::TabFocusReason);
  QTest::keyClick(band, Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), band);
  EXPECT_FALSE(page->running()) << "nothing typed, nothing to build again";
  band->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(band, QStringLiteral("3.6M:3.9M"));
  QTest::keyClick(band, Qt::Key_Tab);
  EXPECT_TRUE(page->running());
  EXPECT_TRUE(QTest::qWaitFor([page] { return !page->running(); }, 60000));
  EXPECT_TRUE(page->figuresLabel()->text().contains(QStringLiteral("Yield over the band")))
      << page->figuresLabel()->text().toStdString();
  EXPECT_EQ(window, windows.program().response().Window().window());
}

// Every button of the design window, the designed ones and those the response window and the
// measured files add, says what it does when hovered.
TEST(DesignWindowTooltips, EveryButtonHasOne) {
  ProgramWindows windows;
  QWidget* window = windows.OpenDesign();
  int buttons = 0;
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if (button->window() != window) continue;
    ++buttons;
    EXPECT_FALSE(button->toolTip().isEmpty()) << Describe(button).toStdString();
    EXPECT_NE(button->toolTip(), button->text()) << Describe(button).toStdString();
  }
  EXPECT_GE(buttons, 23);
}

}  // namespace
}  // namespace corvantile::testing
