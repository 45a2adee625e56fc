// main() of the Qt test programs: GoogleTest on a QApplication on the offscreen platform,
// with every Qt warning turned into a test failure.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QString>
#include <QtGlobal>

namespace {

void FailOnQtWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  // Says only that the test machine has no per-user runtime directory.
  if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
  // The offscreen platform's windows say so whenever one is shown; a real screen is silent.
  if (message == QLatin1String("This plugin does not support propagateSizeHints()")) return;
  // Nor can it raise a window above another, and says so each time.
  if (message == QLatin1String("This plugin does not support raise()")) return;
  ADD_FAILURE() << "Qt message: " << message.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(FailOnQtWarnings);
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  return RUN_ALL_TESTS();
}
