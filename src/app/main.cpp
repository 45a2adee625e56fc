// corvantile: the desktop program. Starts at the title screen, whose "Start" opens the design
// window for the circuit of the last session, or writes a picture of one window without a
// display (--screenshot).
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QtGlobal>

#include "app/app_options.h"
#include "dialogs/qt/frm_dialog.h"
#include "shell/qt/desktop_program.h"
#include "state/circuit_state.h"
#include "state/file_writer.h"
#include "state/message_text.h"
#include "state/session_file.h"
#include "toolkit/geometry.h"
#include "toolkit/qt/qt_messages.h"

namespace {

using corvantile::AppOptions;

constexpr corvantile::ScreenPixels kScreenshotScreen{1024, 768};

bool HasEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// The dialog a --window name stands for, as the design window's command would open it.
std::optional<corvantile::toolkit::DialogId> DialogOf(corvantile::ShownWindow window) {
  using corvantile::ShownWindow;
  using corvantile::toolkit::DialogId;
  switch (window) {
    case ShownWindow::Source:
      return DialogId::Source;
    case ShownWindow::Load:
      return DialogId::Load;
    case ShownWindow::Frequency:
      return DialogId::Frequency;
    case ShownWindow::Power:
      return DialogId::Power;
    case ShownWindow::Phase:
      return DialogId::Phase;
    case ShownWindow::Opening:
    case ShownWindow::Design:
    case ShownWindow::Response:
    case ShownWindow::Parts:
      break;
  }
  return std::nullopt;
}

// The entry command that shows a side's dialog in its current form: "Enter series R, jX" for
// the series R + jX form and so on; a form outside the four (an edited session file) shows the
// first.
std::int16_t EntryKindOf(const corvantile::ImpedanceValues& side) {
  return corvantile::EntryKindOfForm(side[corvantile::EntryForm]);
}

QImage Picture(corvantile::DesktopProgram& program, corvantile::ShownWindow window, QSize size) {
  program.opening().Load();  // the start-up: values, session file
  if (window == corvantile::ShownWindow::Opening) {
    // A maximised window's client area is the screen less its frame and the desktop's panels,
    // about what the drawn background covers: picture that part rather than a grey margin.
    const corvantile::toolkit::LogicalScale& scale = program.opening().window().scale();
    const QSize drawn(static_cast<int>(scale.XToPixels(corvantile::kOpeningBackgroundWidth)),
                      static_cast<int>(scale.YToPixels(corvantile::kOpeningBackgroundHeight)));
    return program.opening().Render(size.boundedTo(drawn));
  }
  if (const auto dialog = DialogOf(window)) {
    corvantile::RunState& state = program.state();
    if (*dialog == corvantile::toolkit::DialogId::Source) {
      state.EntryKind = EntryKindOf(state.SourceValues);
    } else if (*dialog == corvantile::toolkit::DialogId::Load) {
      state.EntryKind = EntryKindOf(state.LoadValues);
    }
    corvantile::FrmDialog shown(*dialog, state, program.platform().screen());
    return shown.Render();
  }
  if (window == corvantile::ShownWindow::Response || window == corvantile::ShownWindow::Parts) {
    // As "Response..." would open it over the loaded design window.
    program.design().Load();
    if (window == corvantile::ShownWindow::Parts) program.response().Window().ShowPage(1);
    return program.response().Render(size);
  }
  return program.design().Render(size);
}

int Run(int argc, char** argv, const AppOptions& options) {
  corvantile::toolkit::SilencePlatformNotices();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Corvantile"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/corvantile.svg")));
  // Fusion honours the buttons' background colours on every platform.
  QApplication::setStyle(QStringLiteral("Fusion"));

  std::optional<corvantile::ScreenPixels> screen = options.screen;
  if (options.screenshot && !screen) screen = kScreenshotScreen;
  std::optional<corvantile::toolkit::ScreenTwips> forced;
  if (screen) forced = corvantile::toolkit::ScreenTwips::FromPixels(screen->width, screen->height);
  corvantile::DesktopProgram program(
      forced, options.sessionFile ? std::filesystem::path(*options.sessionFile)
                                  : std::filesystem::path(corvantile::kSessionFileName));

  if (options.screenshot) {
    const QImage picture = Picture(program, options.window, QSize(screen->width, screen->height));
    // Encoded in memory first, then written by the program's one file writer: a full disk or
    // a kill leaves the old picture whole.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    std::string error;
    if (!picture.save(&buffer, "PNG")) {
      error = "cannot make the picture for '" + corvantile::OneLine(*options.screenshot) + "'";
    } else {
      corvantile::WriteFileAtomically(
          *options.screenshot,
          std::string_view(png.constData(), static_cast<std::size_t>(png.size())), error);
    }
    if (!error.empty()) {
      std::cerr << "corvantile: " << error << "\n";
      return 1;
    }
    return 0;
  }
  if (options.designFile) {
    program.StartWithDesign(*options.designFile);
  } else {
    program.Start();
  }
  return app.exec();
}

}  // namespace

// An exception that reaches main (out of memory, say) ends the program through std::terminate.
int main(int argc, char** argv) {  // NOLINT(bugprone-exception-escape)
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = corvantile::ParseAppOptions(args);
  if (const auto* error = std::get_if<corvantile::AppOptionsError>(&parsed)) {
    std::cerr << "corvantile: " << error->message << "\n";
    return 2;
  }
  const AppOptions& options = std::get<AppOptions>(parsed);
  if (options.help) {
    std::cout << corvantile::AppUsage();
    return 0;
  }
  if (options.version) {
    std::cout << corvantile::AppVersion();
    return 0;
  }
  if (options.screenshot) {
    // Pictures are made without any display, the same on every machine.
    qputenv("QT_QPA_PLATFORM", "offscreen");
  } else if (!HasEnv("DISPLAY") && !HasEnv("WAYLAND_DISPLAY") && !HasEnv("QT_QPA_PLATFORM")) {
    std::cerr << "corvantile: no display found; use --screenshot FILE.png for a picture, or "
                 "corvantile-cli for designs\n";
    return 1;
  }
  return Run(argc, argv, options);
}
