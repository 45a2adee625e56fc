// The response window read by a screen reader: on every page, every control and every chart has
// a name, its own or its label's, as the accessibility interface hands it out.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QLabel>
#include <QString>
#include <QTabBar>
#include <QTabWidget>

#include "response/qt/frm_response.h"
#include "window_access.h"

namespace corvantile::testing {
namespace {

// The charts: drawn pictures that no widget class gives a name of its own.
constexpr const char* kCharts[] = {"chartView", "smithChart", "histReturnLoss", "exploreChart"};

QString AccessibleName(QWidget* widget) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face == nullptr ? QString() : face->text(QAccessible::Name).trimmed();
}

// A label whose buddy `widget` is names it too.
bool HasBuddyLabel(QWidget* window, QWidget* widget) {
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    if (label->buddy() == widget && !label->text().trimmed().isEmpty()) return true;
  }
  return false;
}

std::string PageName(const ::testing::TestParamInfo<int>& page) {
  constexpr const char* kPages[] = {"Response", "Parts", "Tolerance", "Explore"};
  return kPages[page.param];
}

class AccessibleNamesTest : public ::testing::TestWithParam<int> {
 protected:
  ProgramWindows windows;
};

TEST_P(AccessibleNamesTest, EveryControlAndChartOfThePageHasAName) {
  QWidget* window = windows.OpenResponse(GetParam());
  ASSERT_NE(window, nullptr);
  const std::vector<QWidget*> operated = OperatedWidgets(window);
  std::set<QWidget*> named(operated.begin(), operated.end());
  int charts = 0;
  for (const char* name : kCharts) {
    QWidget* chart = window->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(chart, nullptr) << name;
    if (!chart->isVisibleTo(window)) continue;
    named.insert(chart);
    ++charts;
  }
  EXPECT_GT(named.size(), 3U);
  for (QWidget* widget : named) {
    EXPECT_TRUE(!AccessibleName(widget).isEmpty() || HasBuddyLabel(window, widget))
        << Describe(widget).toStdString() << " has no name";
  }
  // Every page but Parts shows a chart.
  EXPECT_EQ(charts > 0, GetParam() != 1);
  auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("tabsResponse"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_FALSE(AccessibleName(tabs->tabBar()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Pages, AccessibleNamesTest, ::testing::Values(0, 1, 2, 3), PageName);

}  // namespace
}  // namespace corvantile::testing
