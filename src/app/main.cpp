// corvantile: the desktop program. Opens the design window for the circuit of the last
// session, or writes a picture of it without a display (--screenshot).
#include <cstdlib>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QString>
#include <QtGlobal>

#include "app/app_options.h"
#include "design/qt/frm_design.h"
#include "shell/startup_values.h"
#include "state/circuit_state.h"
#include "state/session_file.h"
#include "toolkit/geometry.h"
#include "toolkit/qt/qt_platform.h"

namespace {

using corvantile::AppOptions;

constexpr corvantile::ScreenPixels kScreenshotScreen{1024, 768};

bool HasEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Qt's messages go to stderr as usual, except the notice that XDG_RUNTIME_DIR is unset, which
// says nothing about this program.
QtMessageHandler defaultHandler = nullptr;
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
  if (defaultHandler) defaultHandler(type, context, message);
}

int Run(int argc, char** argv, const AppOptions& options) {
  defaultHandler = qInstallMessageHandler(FilterMessages);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Corvantile"));
  // Fusion honours the buttons' background colours on every platform.
  QApplication::setStyle(QStringLiteral("Fusion"));

  corvantile::RunState state;
  corvantile::SetStartupValues(state.startup);
  if (options.sessionFile) {
    corvantile::ReadSession(state, *options.sessionFile);
  } else {
    corvantile::ReadSession(state);
  }

  std::optional<corvantile::ScreenPixels> screen = options.screen;
  if (options.screenshot && !screen) screen = kScreenshotScreen;
  std::optional<corvantile::toolkit::ScreenTwips> forced;
  if (screen) forced = corvantile::toolkit::ScreenTwips::FromPixels(screen->width, screen->height);
  corvantile::toolkit::QtPlatform platform(forced);
  corvantile::FrmDesign design(state, platform);

  if (options.screenshot) {
    const QImage picture = design.Render(QSize(screen->width, screen->height));
    if (!picture.save(QString::fromStdString(*options.screenshot), "PNG")) {
      std::cerr << "corvantile: cannot write the picture to " << *options.screenshot << "\n";
      return 1;
    }
    return 0;
  }
  design.Show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
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
