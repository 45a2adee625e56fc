// Undo, redo and the design files through the real windows, driven by their keys: every kind of
// command undone to exactly the design before it, a refused command or a dialog left without a
// change adding no step, save and open, a damaged file, the title and the recent files.
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/app_options.h"
#include "shell/qt/desktop_program.h"
#include "state/circuit_state.h"
#include "state/session_file.h"
#include "state/settings_file.h"
#include "state/undo_history.h"
#include "toolkit/geometry.h"

namespace corvantile {

// Failures show the 63 values rather than the bytes.
void PrintTo(const DesignSnapshot& snapshot, std::ostream* out) {
  for (const float value : snapshot.SourceValues) *out << value << ' ';
  *out << "| ";
  for (const float value : snapshot.NetValues) *out << value << ' ';
  *out << "| ";
  for (const float value : snapshot.LoadValues) *out << value << ' ';
  *out << "| " << snapshot.settings.otherMembers;
}

namespace {

// Acts on the modal window once it is up (looking again for a while, since bringing a window
// to the front runs the event loop before the modal window opens); whatever `act` leaves open is
// closed and reported.
void WhenModal(std::function<void(QWidget*)> act, int triesLeft = 200) {
  QTimer::singleShot(triesLeft == 200 ? 0 : 10, [act, triesLeft] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      if (triesLeft > 0) {
        WhenModal(act, triesLeft - 1);
      } else {
        ADD_FAILURE() << "no modal window is shown";
      }
      return;
    }
    act(modal);
    if (modal->isVisible()) {
      ADD_FAILURE() << modal->objectName().toStdString() << " is still open";
      modal->close();
    }
  });
}

QWidget* Child(QWidget* window, const char* name) {
  QWidget* child = window->findChild<QWidget*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Every label's and button's text, with whether it is shown: what the refresh wrote.
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

// The message box's text, closed with Return.
void AnswerMessage(QString& text) {
  WhenModal([&text](QWidget* box) {
    text = static_cast<QMessageBox*>(box)->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
}

class DesignFileTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    program_ = std::make_unique<DesktopProgram>(toolkit::ScreenTwips::FromPixels(1024, 768));
    program_->Start();
    QTest::mouseClick(Child(program_->opening().window().widget(), "cmdStart"), Qt::LeftButton);
    ASSERT_TRUE(Design()->isVisible());
    // The file dialogs answer with the next queued name and count how often they were asked.
    program_->design().SetFileChooser([this](bool save, const QString&) {
      ++(save ? saveAsked_ : openAsked_);
      return answers_.empty() ? QString() : answers_.takeFirst();
    });
    Activate(Design());
  }
  void TearDown() override {
    program_.reset();
    QDir::setCurrent(previousDir_);
  }

  static void Activate(QWidget* window) {
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }
  QWidget* Design() { return program_->design().window().widget(); }
  DesignDocument& Document() { return program_->design().document(); }
  DesignSnapshot Now() { return SnapshotOf(program_->state(), Document().settings()); }
  void Click(const char* name) { QTest::mouseClick(Child(Design(), name), Qt::LeftButton); }
  // A key pressed in the window, which the user has brought to the front (shortcuts belong
  // to the active window).
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers, QWidget* window = nullptr) {
    if (window == nullptr) window = Design();
    Activate(window);
    QTest::keyClick(window, key, modifiers);
  }
  void Undo(QWidget* window = nullptr) { Key(Qt::Key_Z, Qt::ControlModifier, window); }
  void Redo() { Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
  void RedoY() { Key(Qt::Key_Y, Qt::ControlModifier); }
  void Save() { Key(Qt::Key_S, Qt::ControlModifier); }
  void OpenFile() { Key(Qt::Key_O, Qt::ControlModifier); }
  QString Title() { return Design()->windowTitle(); }
  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  QTemporaryDir dir_;
  QString previousDir_;
  std::unique_ptr<DesktopProgram> program_;
  QStringList answers_;
  int saveAsked_ = 0;
  int openAsked_ = 0;
};

// One command as the user gives it: a click, and what is typed into the dialog it opens.
struct Step {
  const char* command;
  const char* box1 = nullptr;  // the dialog's boxes and what goes into them, Return after
  const char* typed1 = nullptr;
  const char* box2 = nullptr;
  const char* typed2 = nullptr;
};

TEST_F(DesignFileTest, UndoAfterEveryKindOfCommandRestoresExactlyTheDesignBefore) {
  const std::vector<Step> steps = {
      {"cmdTee"},
      {"cmdPhasePlusOne"},
      {"cmdPhaseMinusOne"},
      {"cmdPhase", "txtPhaseDegrees", "-60"},
      {"cmdFrequency", "txtFrequency", "7.1M"},
      {"cmdPower", "txtPowerWatts", "100"},
      {"CommandSource1", "Text1", "25", "Text2", "10"},
      {"CommandLoad1", "Text1", "200", "Text2", "40"},
      {"CommandSource5"},
      {"CommandLoad5"},
      {"cmdPi"},
      {"cmdLPFL"},
      {"cmdHPFL"},
  };
  const DesignSnapshot start = Now();
  std::size_t depth = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    const DesignSnapshot before = Now();
    const QStringList shownBefore = Captions(Design());
    if (step.box1 != nullptr) {
      WhenModal([&step](QWidget* dialog) {
        QTest::keyClicks(Child(dialog, step.box1), QString::fromLatin1(step.typed1));
        if (step.box2 != nullptr) {
          QTest::keyClicks(Child(dialog, step.box2), QString::fromLatin1(step.typed2));
        }
        QTest::keyClick(Child(dialog, step.box2 ? step.box2 : step.box1), Qt::Key_Return);
      });
    }
    Click(step.command);
    const DesignSnapshot after = Now();
    ASSERT_NE(after, before) << "the command changed nothing";
    ASSERT_EQ(Document().history().UndoCount(), ++depth);
    const QStringList shownAfter = Captions(Design());

    Undo();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(Captions(Design()), shownBefore) << "the window was not refreshed";
    Redo();
    EXPECT_EQ(Now(), after);
    EXPECT_EQ(Captions(Design()), shownAfter);
    Undo();
    RedoY();  // the other redo key
    EXPECT_EQ(Now(), after);
  }
  // And all the way back.
  for (std::size_t i = 0; i < depth; ++i) Undo();
  EXPECT_EQ(Now(), start);
  EXPECT_FALSE(Document().history().CanUndo());
}

TEST_F(DesignFileTest, UndoAndRedoTakeHundredsOfSteps) {
  const DesignSnapshot start = Now();
  constexpr int kSteps = 150;
  for (int i = 0; i < kSteps; ++i) Click("cmdPhasePlusOne");
  const DesignSnapshot end = Now();
  EXPECT_EQ(end.NetValues[NetworkPhase], start.NetValues[NetworkPhase] + kSteps);
  for (int i = 0; i < kSteps; ++i) Undo();
  EXPECT_EQ(Now(), start);
  for (int i = 0; i < kSteps; ++i) RedoY();
  EXPECT_EQ(Now(), end);
}

TEST_F(DesignFileTest, RefusedCommandsAndDialogsLeftUnchangedAddNoStep) {
  Click("cmdLPFL");
  ASSERT_EQ(Document().history().UndoCount(), 1u);
  QString message;
  AnswerMessage(message);
  Click("cmdPhase");  // no phase in an L-network
  EXPECT_FALSE(message.isEmpty());
  Click("cmdLPFL");  // the family it already is
  WhenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
  Click("cmdFrequency");
  WhenModal([](QWidget* dialog) {
    QTest::keyClicks(Child(dialog, "txtPowerWatts"), "75");
    QTest::keyClick(Child(dialog, "txtPowerWatts"), Qt::Key_Escape);
  });
  Click("cmdPower");
  EXPECT_EQ(Document().history().UndoCount(), 1u);
  // Nothing to redo or to undo past: the design stays.
  const DesignSnapshot now = Now();
  Redo();
  EXPECT_EQ(Now(), now);
  Undo();
  Undo();
  EXPECT_NE(Now(), now);
  EXPECT_FALSE(Document().history().CanUndo());
}

TEST_F(DesignFileTest, SavedDesignIsASessionFileAndOpensAgain) {
  const QString tank = Path("tank.cfg");
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis ");
  Click("cmdTee");
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis ") << "no file, no asterisk";

  answers_ << tank;
  Save();  // no file yet: asks for a name
  EXPECT_EQ(saveAsked_, 1);
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis tank.cfg");
  const DesignSnapshot saved = Now();
  QFile file(tank);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toStdString(), SessionFileText(program_->state()));
  EXPECT_TRUE(QFile::exists(Path("tank.json")));
  // A valid LastSession.CFG: the session reader takes it whole.
  RunState read = MakeDefaultRunState();
  ASSERT_TRUE(ReadSession(read, tank.toStdString()));
  EXPECT_EQ(SessionFileText(read), SessionFileText(program_->state()));

  Click("cmdPhasePlusOne");
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis tank.cfg*");
  Undo();
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis tank.cfg")
      << "back to what the file holds";
  Click("cmdHPFL");
  Save();  // the open file again, without asking
  EXPECT_EQ(saveAsked_, 1);
  const DesignSnapshot savedAgain = Now();
  EXPECT_NE(savedAgain, saved);

  Click("cmdTee");
  Click("cmdPhaseMinusOne");
  answers_ << tank;
  OpenFile();
  EXPECT_EQ(openAsked_, 1);
  EXPECT_EQ(Now(), savedAgain);
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis tank.cfg");
  EXPECT_FALSE(Document().history().CanUndo()) << "an opened file starts its own history";

  // Save as under another name.
  answers_ << Path("copy.cfg");
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(saveAsked_, 2);
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis copy.cfg");
  EXPECT_FALSE(QFile::exists(Path("LastSession.CFG"))) << "the session file is Exit's alone";
}

TEST_F(DesignFileTest, DamagedFileChangesNothingAndSaysWhy) {
  Click("cmdTee");
  const DesignSnapshot before = Now();
  const QStringList shownBefore = Captions(Design());
  const std::string whole = SessionFileText(program_->state());
  const struct {
    const char* name;
    std::string text;
    const char* says;
  } kFiles[] = {
      {"short.cfg", whole.substr(0, whole.size() / 2), "damaged"},
      {"words.cfg", std::string(kSessionHeader) + "\r\n 1 \r\n x \r\n", "damaged"},
      {"empty.cfg", "", "damaged"},
      {"missing.cfg", "", "cannot be read"},
  };
  for (const auto& damaged : kFiles) {
    SCOPED_TRACE(damaged.name);
    if (std::string(damaged.name) != "missing.cfg") {
      QFile file(Path(damaged.name));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(damaged.text.data(), static_cast<qint64>(damaged.text.size()));
    }
    QString message;
    AnswerMessage(message);
    answers_ << Path(damaged.name);
    OpenFile();
    EXPECT_TRUE(message.contains(QString::fromLatin1(damaged.says))) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromLatin1(damaged.name))) << message.toStdString();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(Captions(Design()), shownBefore);
    EXPECT_FALSE(Document().file());
    EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis ");
    EXPECT_EQ(Document().history().UndoCount(), 1u);
  }
  // Whole numbers but damaged settings beside them: refused too.
  answers_ << Path("good.cfg");
  Save();
  Click("cmdPi");
  QFile settings(Path("good.json"));
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
  settings.write("[1, 2");
  settings.close();
  const DesignSnapshot changed = Now();
  QString message;
  AnswerMessage(message);
  answers_ << Path("good.cfg");
  OpenFile();
  EXPECT_TRUE(message.contains(QStringLiteral("good.json"))) << message.toStdString();
  EXPECT_EQ(Now(), changed);
}

TEST_F(DesignFileTest, RecentFilesKeepTheLastEightAndOpenFromTheKeyboard) {
  for (int i = 1; i <= 10; ++i) {
    Click(i % 2 ? "cmdTee" : "cmdHPFL");
    answers_ << Path(("d" + std::to_string(i) + ".cfg").c_str());
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  }
  std::vector<std::string> recent = Document().RecentFiles();
  ASSERT_EQ(recent.size(), kRecentFilesKept);
  EXPECT_EQ(recent.front(), QDir(Path("d10.cfg")).absolutePath().toStdString());
  EXPECT_EQ(recent.back(), QDir(Path("d3.cfg")).absolutePath().toStdString());
  // Kept in the program's settings file, beside LastSession.CFG.
  EXPECT_EQ(RecentFilesOf(ReadSettings(Path("LastSession.json").toStdString()).settings), recent);

  std::vector<std::string> offered;
  program_->design().SetRecentChooser([&offered](const std::vector<std::string>& files) {
    offered = files;
    return std::optional<std::string>(files[1]);  // d9, a Tee
  });
  Key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(offered, recent);
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis d9.cfg");
  EXPECT_EQ(program_->state().NetValues[NetworkFamily], FamilyTee);
  EXPECT_EQ(Document().RecentFiles().front(), recent[1]) << "opened moves to the front";
}

TEST_F(DesignFileTest, TheResponseWindowTakesTheSameKeys) {
  program_->response().Open();
  QWidget* response = &program_->response().Window();
  Activate(response);
  Click("cmdTee");
  const DesignSnapshot after = Now();
  Undo(response);
  EXPECT_NE(Now(), after);
  Key(Qt::Key_Y, Qt::ControlModifier, response);
  EXPECT_EQ(Now(), after);
  answers_ << Path("from-response.cfg");
  Key(Qt::Key_S, Qt::ControlModifier, response);
  EXPECT_TRUE(QFile::exists(Path("from-response.cfg")));
}

TEST_F(DesignFileTest, CommandLineFileOpensStraightIntoTheDesignWindow) {
  Click("cmdHPFL");
  answers_ << Path("start.cfg");
  Save();
  program_ = std::make_unique<DesktopProgram>(toolkit::ScreenTwips::FromPixels(1024, 768));
  ASSERT_TRUE(program_->StartWithDesign(Path("start.cfg").toStdString()));
  EXPECT_FALSE(program_->opening().window().widget()->isVisible());
  EXPECT_TRUE(Design()->isVisible());
  EXPECT_EQ(program_->state().NetValues[NetworkFamily], FamilyHighpassL);
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis start.cfg");

  program_ = std::make_unique<DesktopProgram>(toolkit::ScreenTwips::FromPixels(1024, 768));
  QString message;
  AnswerMessage(message);
  EXPECT_FALSE(program_->StartWithDesign(Path("nowhere.cfg").toStdString()));
  EXPECT_TRUE(message.contains(QStringLiteral("nowhere.cfg")));
  EXPECT_TRUE(Design()->isVisible()) << "the last session's design instead";
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis ");
}

// "Save as" of a bare name writes NAME.cfg, which the program opens from its command line.
TEST_F(DesignFileTest, SaveAsCompletesTheNameSoTheProgramOpensIt) {
  Click("cmdHPFL");
  answers_ << Path("tee_design");
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(QFile::exists(Path("tee_design.cfg")));
  EXPECT_TRUE(QFile::exists(Path("tee_design.json")));
  EXPECT_FALSE(QFile::exists(Path("tee_design")));
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis tee_design.cfg");

  const std::vector<std::string> arguments{Path("tee_design.cfg").toStdString()};
  const auto options = ParseAppOptions(arguments);
  ASSERT_TRUE(std::holds_alternative<AppOptions>(options));
  ASSERT_TRUE(std::get<AppOptions>(options).designFile);
  program_ = std::make_unique<DesktopProgram>(toolkit::ScreenTwips::FromPixels(1024, 768));
  ASSERT_TRUE(program_->StartWithDesign(*std::get<AppOptions>(options).designFile));
  EXPECT_EQ(program_->state().NetValues[NetworkFamily], FamilyHighpassL);
}

// Another extension gets .cfg after it: the settings beside it stay its own.
TEST_F(DesignFileTest, SaveAsKeepsAnotherExtensionAndAddsCfg) {
  answers_ << Path("notes.txt");
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(QFile::exists(Path("notes.txt.cfg")));
  EXPECT_TRUE(QFile::exists(Path("notes.txt.json")));
  EXPECT_FALSE(QFile::exists(Path("notes.txt")));
}

// The chooser asked about the name typed, not the completed one: a completed name that exists
// is offered again, and only the same answer twice replaces it.
TEST_F(DesignFileTest, SaveAsAsksAgainBeforeReplacingTheCompletedFile) {
  Click("cmdTee");
  answers_ << Path("old.cfg");
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  const QByteArray tee = [&] {
    QFile file(Path("old.cfg"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }();
  Click("cmdPi");
  answers_ << Path("old") << QString();  // cancelled when asked again
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(saveAsked_, 3);
  QFile kept(Path("old.cfg"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), tee);
  kept.close();

  answers_ << Path("old") << Path("old");
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(saveAsked_, 5);
  QFile replaced(Path("old.cfg"));
  ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
  EXPECT_EQ(replaced.readAll().toStdString(), SessionFileText(program_->state()));
}

// The question's button `which`, pressed.
void AnswerSaveQuestion(QMessageBox::StandardButton which, QString& asked) {
  WhenModal([which, &asked](QWidget* box) {
    auto* question = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(question, nullptr) << box->objectName().toStdString();
    asked = question->text();
    question->button(which)->click();
  });
}

TEST_F(DesignFileTest, ExitAsksBeforeLeavingChangesToTheDesignFile) {
  answers_ << Path("tank.cfg");
  Save();
  Click("cmdHPFL");
  ASSERT_EQ(Title(), "Corvantile Version 3.01 - design and analysis tank.cfg*");

  QString asked;
  AnswerSaveQuestion(QMessageBox::Cancel, asked);
  Click("cmdExit");
  EXPECT_TRUE(asked.contains(QStringLiteral("tank.cfg"))) << asked.toStdString();
  EXPECT_TRUE(Design()->isVisible()) << "Cancel keeps the program running";
  EXPECT_FALSE(QFile::exists(Path("LastSession.CFG")));
  EXPECT_EQ(Title(), "Corvantile Version 3.01 - design and analysis tank.cfg*");

  AnswerSaveQuestion(QMessageBox::Save, asked);
  Click("cmdExit");
  RunState saved = MakeDefaultRunState();
  ASSERT_TRUE(ReadSession(saved, Path("tank.cfg").toStdString()));
  EXPECT_EQ(saved.NetValues[NetworkFamily], FamilyHighpassL);
  // Then Exit as ever: the session file written, the window closed.
  EXPECT_TRUE(QFile::exists(Path("LastSession.CFG")));
  EXPECT_FALSE(Design()->isVisible());
}

TEST_F(DesignFileTest, ExitWithoutChangesToAFileAsksNothing) {
  Click("cmdHPFL");  // no design file: the session's own changes, as ever
  Click("cmdExit");
  EXPECT_TRUE(QFile::exists(Path("LastSession.CFG")));
  EXPECT_FALSE(Design()->isVisible());
}

}  // namespace
}  // namespace corvantile
