// The desktop program driven as a user would: the title screen, "Start", the design window's
// commands with their modal dialogs, and the three ways to end. Modal dialogs are acted on from
// a zero-delay timer, which runs inside the dialog's own event loop once it is shown.
#include "shell/qt/desktop_program.h"

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "state/circuit_state.h"
#include "toolkit/geometry.h"

namespace corvantile {
namespace {

// Acts on the modal window once it is up; whatever `act` leaves open is closed and reported,
// so that a failing test cannot hang in the dialog's event loop.
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

template <typename T = QWidget>
T* Child(QWidget* window, const char* name) {
  T* child = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Every label's and button's text, with whether it is shown.
QStringList Captions(QWidget* window) {
  QStringList captions;
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    captions << label->objectName() + QLatin1Char('=') + label->text() +
                    (label->isHidden() ? QStringLiteral(" (hidden)") : QString());
  }
  for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    captions << button->objectName() + QLatin1Char('=') + button->text();
  }
  return captions;
}

// Records whether another window was visible when this one was shown.
class ShowSpy : public QObject {
 public:
  ShowSpy(QWidget* watched, QWidget* other) : other_(other) { watched->installEventFilter(this); }
  bool shown = false;
  bool otherVisibleWhenShown = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show && !shown) {
      shown = true;
      otherVisibleWhenShown = other_->isVisible();
    }
    return false;
  }

 private:
  QWidget* other_;
};

class DesktopProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    program_ = std::make_unique<DesktopProgram>(toolkit::ScreenTwips::FromPixels(1024, 768));
  }
  void TearDown() override {
    program_.reset();
    QDir::setCurrent(previousDir_);
  }

  QWidget* Opening() { return program_->opening().window().widget(); }
  QWidget* Design() { return program_->design().window().widget(); }
  bool SessionWritten() const { return QFile::exists(dir_.filePath("LastSession.CFG")); }
  void Click(QWidget* window, const char* name) {
    QTest::mouseClick(Child(window, name), Qt::LeftButton);
  }
  // Starts the program and presses "Start".
  void StartDesign() {
    program_->Start();
    Click(Opening(), "cmdStart");
    ASSERT_TRUE(Design()->isVisible());
  }

  QTemporaryDir dir_;
  QString previousDir_;
  std::unique_ptr<DesktopProgram> program_;
};

TEST_F(DesktopProgramTest, TitleScreenCaptionTextsAndFocus) {
  program_->Start();
  EXPECT_EQ(Opening()->objectName(), "frmOpening");
  EXPECT_EQ(Opening()->windowTitle(), "Corvantile Version 3.01");
  EXPECT_TRUE(Opening()->isVisible());
  EXPECT_EQ(Child<QLabel>(Opening(), "lblTitle")->text(), "Corvantile");
  EXPECT_EQ(Child<QLabel>(Opening(), "lblTitle6")->text(), "an uncommon tool set");
  EXPECT_EQ(Child<QLabel>(Opening(), "lblVersion")->text(), "Version 3.01");
  EXPECT_EQ(Child<QAbstractButton>(Opening(), "cmdStart")->text(), "Start");
  EXPECT_EQ(Child<QAbstractButton>(Opening(), "cmdExit")->text(), "Exit / Quit");
  EXPECT_EQ(Opening()->focusWidget(), Child(Opening(), "cmdStart"));
  EXPECT_EQ(Child(Opening(), "lblTitle")->palette().color(QPalette::WindowText),
            QColor(192, 255, 255));
  EXPECT_FALSE(Opening()->windowIcon().isNull());
  EXPECT_FALSE(program_->HasDesignWindow());
}

// The drawn background shows through the transparent labels: dark blue at the top, the
// lightest blue near the bottom of the layout.
TEST_F(DesktopProgramTest, TitleScreenBackgroundIsDrawnBlue) {
  const QImage picture = program_->opening().Render(QSize(1024, 768));
  EXPECT_EQ(picture.pixelColor(5, 5), QColor(0, 0, 64));
  EXPECT_EQ(picture.pixelColor(5, 700), QColor(0, 0, 200));
  // Inside the network box of the artwork: pure blue.
  const toolkit::LogicalScale& scale = program_->opening().window().scale();
  EXPECT_EQ(picture.pixelColor(static_cast<int>(scale.XToPixels(7000)),
                               static_cast<int>(scale.YToPixels(4500))),
            QColor(0, 0, 255));
}

TEST_F(DesktopProgramTest, StartShowsTheDesignWindowThenUnloadsTheTitleScreen) {
  program_->Start();
  ShowSpy spy(Design(), Opening());  // creates the design window before "Start"
  FrmDesign* created = &program_->design();
  Click(Opening(), "cmdStart");
  EXPECT_TRUE(spy.shown);
  EXPECT_TRUE(spy.otherVisibleWhenShown) << "the title screen went before the design window";
  EXPECT_FALSE(Opening()->isVisible());
  EXPECT_TRUE(Design()->isVisible());
  EXPECT_EQ(&program_->design(), created) << "Start made a second design window";
}

TEST_F(DesktopProgramTest, StartCreatesTheDesignWindowOnce) {
  program_->Start();
  EXPECT_FALSE(program_->HasDesignWindow());
  Click(Opening(), "cmdStart");
  ASSERT_TRUE(program_->HasDesignWindow());
  FrmDesign* first = &program_->design();
  program_->ShowDesignWindow();
  EXPECT_EQ(&program_->design(), first);
  EXPECT_EQ(Design()->windowTitle(), "Corvantile Version 3.01 - design and analysis ");
  EXPECT_FALSE(Design()->windowIcon().isNull());
}

// The user clicks "Enter series R, jX" under the load, types 50 and 25, chooses "capacitor"
// and presses Return.
TEST_F(DesktopProgramTest, LoadEnteredThroughCommandLoad1) {
  StartDesign();
  const QString outputQBefore = Child<QLabel>(Design(), "lblOutputQ")->text();
  QString shownBefore;
  WhenModal([&](QWidget* dialog) {
    EXPECT_EQ(dialog->objectName(), "frmEnterOutput");
    EXPECT_EQ(dialog->windowTitle(), "Corvantile - load value entry");
    EXPECT_EQ(Child<QLabel>(dialog, "lblHeading")->text(), "Enter series resistance and reactance");
    shownBefore = Child<QLabel>(dialog, "Label1")->text();
    QTest::keyClicks(Child(dialog, "Text1"), "50");
    QTest::keyClicks(Child(dialog, "Text2"), "25");
    QTest::mouseClick(Child(dialog, "Option2"), Qt::LeftButton);
    EXPECT_FALSE(Child<QRadioButton>(dialog, "Option1")->isChecked());
    QTest::keyClick(Child(dialog, "Text2"), Qt::Key_Return);
  });
  Click(Design(), "CommandLoad1");
  EXPECT_EQ(shownBefore, "Resistance is now 300 ohms");
  const RunState& state = program_->state();
  EXPECT_EQ(state.LoadValues[SeriesR], 50.0f);
  EXPECT_EQ(state.LoadValues[SeriesX], -25.0f);
  EXPECT_EQ(state.LoadValues[EntryForm], 1.0f);
  EXPECT_FLOAT_EQ(state.LoadValues[ParallelR], 62.5f);
  EXPECT_NE(Child<QLabel>(Design(), "lblOutputQ")->text(), outputQBefore);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(DesktopProgramTest, SourceDialogClosedWithEscapeKeepsOnlyTheNewKind) {
  StartDesign();
  RunState& state = program_->state();
  const float seriesR = state.SourceValues[SeriesR];
  WhenModal([](QWidget* dialog) {
    EXPECT_EQ(dialog->objectName(), "frmEnterInput");
    EXPECT_EQ(Child<QLabel>(dialog, "Label4")->text(), "Value (H or F): ");
    QTest::keyClicks(Child(dialog, "Text1"), "75");
    QTest::keyClick(Child(dialog, "Text1"), Qt::Key_Escape);
  });
  Click(Design(), "CommandSource3");
  EXPECT_EQ(state.SourceValues[EntryForm], 3.0f);
  EXPECT_EQ(state.SourceValues[EntryFormCopy], 3.0f);
  EXPECT_EQ(state.SourceValues[SeriesR], seriesR);
}

struct ValueCommand {
  const char* command;
  const char* dialog;
  const char* box;
  const char* typed;
  int element;
  float stored;
};

TEST_F(DesktopProgramTest, FrequencyPowerAndPhaseFromTheirCommands) {
  StartDesign();
  const ValueCommand commands[] = {
      {"cmdFrequency", "frmFrequency", "txtFrequency", "14.2M", Frequency, 14.2e6f},
      {"cmdPower", "frmPower", "txtPowerWatts", "1.5k", Power, 1500},
      {"cmdPhase", "frmEnterPhase", "txtPhaseDegrees", "-90", NetworkPhase, -90},
  };
  for (const ValueCommand& c : commands) {
    WhenModal([&c](QWidget* dialog) {
      EXPECT_EQ(dialog->objectName(), c.dialog);
      QTest::keyClicks(Child(dialog, c.box), c.typed);
      QTest::keyClick(Child(dialog, c.box), Qt::Key_Return);
    });
    Click(Design(), c.command);
    EXPECT_FLOAT_EQ(program_->state().NetValues[c.element], c.stored) << c.command;
  }
  EXPECT_TRUE(Child<QAbstractButton>(Design(), "cmdFrequency")->text().contains("14.2 MHz"));
}

TEST_F(DesktopProgramTest, ValueDialogsClosedByOtherMeansChangeNothing) {
  StartDesign();
  const NetworkValues before = program_->state().NetValues;
  WhenModal([](QWidget* dialog) {
    QTest::keyClicks(Child(dialog, "txtFrequency"), "7M");
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  Click(Design(), "cmdFrequency");
  WhenModal([](QWidget* dialog) {
    QTest::keyClicks(Child(dialog, "txtPowerWatts"), "5");
    dialog->close();  // the window frame
  });
  Click(Design(), "cmdPower");
  EXPECT_EQ(program_->state().NetValues, before);
}

TEST_F(DesktopProgramTest, PhaseInAnLNetworkIsRefusedAndNothingIsRedrawn) {
  StartDesign();
  Click(Design(), "cmdLPFL");
  const QImage before = program_->design().window().surface().image().copy();
  const QStringList captionsBefore = Captions(Design());
  const RunState state = program_->state();
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << modal->objectName().toStdString();
    EXPECT_EQ(box->windowTitle(), "Corvantile");
    EXPECT_EQ(box->text(), "You cannot specify the phase in an L-network");
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);
    QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
  });
  Click(Design(), "cmdPhase");
  EXPECT_EQ(program_->state().NetValues, state.NetValues);
  EXPECT_EQ(program_->design().window().surface().image(), before);
  EXPECT_EQ(Captions(Design()), captionsBefore);
}

TEST_F(DesktopProgramTest, ExitInTheDesignWindowWritesTheSession) {
  StartDesign();
  EXPECT_FALSE(SessionWritten());
  Click(Design(), "cmdExit");
  EXPECT_TRUE(SessionWritten());
  EXPECT_FALSE(Design()->isVisible());
}

TEST_F(DesktopProgramTest, ExitQuitWritesNothing) {
  program_->Start();
  Click(Opening(), "cmdExit");
  EXPECT_FALSE(Opening()->isVisible());
  EXPECT_FALSE(program_->HasDesignWindow());
  EXPECT_FALSE(SessionWritten());
}

TEST_F(DesktopProgramTest, ClosingWindowsByTheirFramesWritesNothing) {
  StartDesign();
  Design()->close();
  EXPECT_FALSE(SessionWritten());

  program_ = std::make_unique<DesktopProgram>(toolkit::ScreenTwips::FromPixels(1024, 768));
  program_->Start();
  Opening()->close();
  EXPECT_FALSE(SessionWritten());
}

}  // namespace
}  // namespace corvantile
