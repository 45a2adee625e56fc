// The entry dialogs on Qt: built from their looks, placed by their rules, "Enter" the default
// button, Escape and the frame closing them without "Enter".
#include "dialogs/qt/frm_dialog.h"

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "dialogs/dialog_looks.h"
#include "state/circuit_state.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

using toolkit::DialogId;

constexpr toolkit::ScreenTwips kScreen = {15360, 11520};  // 1024 x 768 pixels

template <typename T = QWidget>
T* Child(QWidget* window, const char* name) {
  T* child = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      ADD_FAILURE() << "no modal window is shown";
      return;
    }
    act(modal);
    if (modal->isVisible()) {
      ADD_FAILURE() << modal->objectName().toStdString() << " is still open";
      modal->close();
    }
  });
}

int Px(double twips) { return static_cast<int>(std::lround(twips / 15.0)); }

TEST(FrmDialog, EveryDialogIsAModalDialogBuiltFromItsLook) {
  for (DialogId id :
       {DialogId::Source, DialogId::Load, DialogId::Frequency, DialogId::Power, DialogId::Phase}) {
    RunState state = MakeDefaultRunState();
    state.EntryKind = 1;
    FrmDialog dialog(id, state, kScreen);
    dialog.Load();
    const toolkit::WindowLook& look = DialogLook(id);
    QDialog* top = dialog.window().dialog();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->objectName().toStdString(), look.name);
    EXPECT_EQ(top->windowTitle().toStdString(), look.caption);
    for (const toolkit::ControlLook& control : look.controls) {
      EXPECT_NE(top->findChild<QWidget*>(
                    QString::fromUtf8(control.name.data(), static_cast<int>(control.name.size()))),
                nullptr)
          << control.name;
    }
    auto* enter = Child<QPushButton>(top, "cmdExit");
    EXPECT_TRUE(enter->isDefault());
    EXPECT_EQ(enter->text(), "Enter");
  }
}

TEST(FrmDialog, EntryDialogsKeepTheirDesignAndCentreAcrossTheScreen) {
  RunState state = MakeDefaultRunState();
  state.EntryKind = 2;
  FrmDialog dialog(DialogId::Load, state, kScreen);
  dialog.Load();
  QWidget* top = dialog.window().widget();
  EXPECT_EQ(top->size(), QSize(Px(5295), Px(4455)));
  EXPECT_EQ(top->pos(), QPoint(Px(15360 / 2.0 - 5295 / 2.0), Px(1000)));
  EXPECT_EQ(Child(top, "Text1")->geometry(), QRect(Px(1995), Px(1785), Px(1800), Px(360)));
  EXPECT_EQ(Child(top, "Option2")->geometry(), QRect(Px(3885), Px(3045), Px(1275), Px(300)));
  EXPECT_EQ(Child<QLabel>(top, "Label2")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(Child<QLabel>(top, "Label2")->text(), "New resistance: ");
  // The option buttons are one exclusive group.
  QTest::mouseClick(Child(top, "Option2"), Qt::LeftButton);
  EXPECT_TRUE(Child<QRadioButton>(top, "Option2")->isChecked());
  EXPECT_FALSE(Child<QRadioButton>(top, "Option1")->isChecked());
  EXPECT_FALSE(top->windowIcon().isNull());
}

TEST(FrmDialog, ValueDialogsTakeAThirdOfTheScreenAtItsCentre) {
  RunState state = MakeDefaultRunState();
  FrmDialog dialog(DialogId::Power, state, kScreen);
  dialog.Load();
  QWidget* top = dialog.window().widget();
  EXPECT_EQ(top->size(), QSize(Px(0.3 * 15360), Px(0.3 * 11520)));
  EXPECT_EQ(top->geometry().center(), QRect(0, 0, 1024, 768).center());
  EXPECT_EQ(Child<QLabel>(top, "lblPowerNow")->text(), "Power is now 1 kW");
  for (const char* name : {"lblPowerNow", "lblPowerWatts", "txtPowerWatts", "cmdExit"}) {
    QWidget* control = Child(top, name);
    EXPECT_EQ(QFontInfo(control->font()).pixelSize(), 12) << name;  // 9.216 pt
    EXPECT_TRUE(QFontInfo(control->font()).bold()) << name;
    EXPECT_TRUE(top->rect().contains(control->geometry())) << name;
  }
  // The text box lies over the prompt label it overlaps: later in its parent's stacking order.
  const QObjectList& stack = Child(top, "txtPowerWatts")->parent()->children();
  EXPECT_GT(stack.indexOf(Child(top, "txtPowerWatts")), stack.indexOf(Child(top, "lblPowerWatts")));
}

TEST(FrmDialog, ReturnInTheBoxPressesEnter) {
  RunState state = MakeDefaultRunState();
  toolkit::QtPlatform platform(kScreen);
  RegisterDialogs(platform, state, [] { return nullptr; });
  WhenModal([](QWidget* dialog) {
    EXPECT_EQ(dialog->objectName(), "frmEnterPhase");
    EXPECT_EQ(Child<QLabel>(dialog, "lblPhaseNow")->text(), "Phase is now -135 degrees");
    QTest::keyClicks(Child(dialog, "txtPhaseDegrees"), "-90");
    QTest::keyClick(Child(dialog, "txtPhaseDegrees"), Qt::Key_Return);
  });
  platform.ShowDialog(DialogId::Phase);
  EXPECT_EQ(state.NetValues[NetworkPhase], -90.0f);
  // The dialog is destroyed once closed.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    EXPECT_NE(window->objectName(), "frmEnterPhase");
  }
}

}  // namespace
}  // namespace corvantile
