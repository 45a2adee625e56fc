// The random session on the desktop program itself, on Qt's offscreen platform: every command
// is a mouse click on the design window, every dialog is typed into, clicked and closed as a
// user would (Enter, Return, Escape or the frame), and after every step the program must be
// alive (the design window up, no window left open), follow the model and show no "nan" or
// "inf". Exit then writes the file that must hold every value. `make test` runs a short
// session; `make fuzz` sets CORVANTILE_SESSION_COMMANDS for a long one.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "hardening_support.h"
#include "random_session.h"
#include "shell/qt/desktop_program.h"
#include "state/session_file.h"
#include "toolkit/geometry.h"

namespace corvantile::hardening {
namespace {

using toolkit::DialogId;

constexpr int kShortSession = 300;
// Longer texts are pasted rather than typed key by key; a text box keeps at most 32767.
constexpr std::size_t kLongestTyped = 64;

template <typename T = QWidget>
T* Child(QWidget* window, std::string_view name) {
  return window->findChild<T*>(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
}

// Puts `text` into the box as a user would, and returns what the box then holds.
std::string Type(QWidget* dialog, std::string_view box, const std::string& text) {
  auto* edit = Child<QLineEdit>(dialog, box);
  if (edit == nullptr) {
    ADD_FAILURE() << "no box " << box;
    return {};
  }
  const QString typed = QString::fromStdString(text);
  if (text.size() <= kLongestTyped) {
    // QTest maps only ASCII to keys; other characters arrive as a key event carrying text,
    // as from an input method.
    for (const QChar c : typed) {
      if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
        QTest::keyClick(edit, static_cast<char>(c.unicode()));
      } else {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
  } else {
    edit->setText(typed);
  }
  return edit->text().toStdString();
}

// Acts as the user in a dialog and records in `input` what the boxes held when it closed.
void UseDialog(QWidget* dialog, DialogId id, DialogInput& input) {
  std::string_view box = ValueBoxName(id);
  if (id == DialogId::Source || id == DialogId::Load) {
    input.text1 = Type(dialog, "Text1", input.text1);
    input.text2 = Type(dialog, "Text2", input.text2);
    if (input.option != DialogInput::Option::Leave) {
      const bool inductor = input.option == DialogInput::Option::Inductor;
      QTest::mouseClick(Child(dialog, inductor ? "Option1" : "Option2"), Qt::LeftButton);
    }
    box = "Text2";
  } else {
    input.text1 = Type(dialog, box, input.text1);
  }
  switch (input.close) {
    case DialogInput::Close::Enter:
      QTest::mouseClick(Child(dialog, "cmdExit"), Qt::LeftButton);
      break;
    case DialogInput::Close::EnterByReturnKey:
      QTest::keyClick(Child(dialog, box), Qt::Key_Return);
      break;
    case DialogInput::Close::Escape:
      QTest::keyClick(dialog, Qt::Key_Escape);
      break;
    case DialogInput::Close::Frame:
      dialog->close();
      break;
  }
}

TEST(QtRandomSession, TheProgramStaysAliveFollowsTheModelAndExitKeepsEveryValue) {
  const int commands = SessionCommands(kShortSession);
  const std::uint32_t seed = SessionSeed(7);
  SessionScript script(seed, /*textOnly=*/true);

  ScratchFolder folder;
  const QString previousDirectory = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(folder.path().string()));
  const toolkit::ScreenTwips screen = toolkit::ScreenTwips::FromPixels(1024, 768);
  DesktopProgram program(screen);
  program.Start();
  QTest::mouseClick(Child(program.opening().window().widget(), "cmdStart"), Qt::LeftButton);
  QWidget* design = program.design().window().widget();
  ASSERT_TRUE(design->isVisible());
  SessionModel model(MakeDefaultRunState(), screen);
  ASSERT_EQ(CheckAfterStep(program.design().window(), program.state(), model),
            std::vector<std::string>{});

  // A window that stays open would hold the click forever: the watchdog closes it.
  QTimer watchdog;
  watchdog.setInterval(5000);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      ADD_FAILURE() << modal->objectName().toStdString() << " stayed open";
      modal->close();
    }
  });

  for (int n = 0; n < commands; ++n) {
    SessionStep step = script.Next();
    DialogId expected{};
    const SessionModel::Shows shows = model.WhatCommandShows(step.command, expected);
    bool modalSeen = false;
    if (shows != SessionModel::Shows::Nothing) {
      QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        modalSeen = true;
        if (shows == SessionModel::Shows::Message) {
          auto* box = qobject_cast<QMessageBox*>(modal);
          if (box == nullptr || box->buttons().size() != 1) {
            modal->close();
            return;
          }
          QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
        } else {
          UseDialog(modal, expected, step.input);
        }
      });
    }
    watchdog.start();
    QTest::mouseClick(Child<QAbstractButton>(design, step.command), Qt::LeftButton);
    watchdog.stop();
    model.Apply(step);

    const std::string where = "seed " + std::to_string(seed) + ", step " + std::to_string(n) + " " +
                              std::string(step.command);
    ASSERT_EQ(modalSeen, shows != SessionModel::Shows::Nothing) << where;
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr) << where;
    ASSERT_TRUE(design->isVisible()) << where;
    const std::vector<std::string> problems =
        CheckAfterStep(program.design().window(), program.state(), model);
    ASSERT_TRUE(problems.empty()) << where << " with '" << step.input.text1.substr(0, 40) << "', '"
                                  << step.input.text2.substr(0, 40) << "': " << problems.front();
  }

  QTest::mouseClick(Child(design, "cmdExit"), Qt::LeftButton);
  EXPECT_FALSE(design->isVisible());
  EXPECT_EQ(CheckExitFile(ReadBytes(folder.path() / kSessionFileName), program.state()), "");
  QDir::setCurrent(previousDirectory);
  std::printf("%d commands on the offscreen platform\n", commands);
}

}  // namespace
}  // namespace corvantile::hardening
