// main() of the Qt test programs: GoogleTest on a QApplication on the offscreen platform,
// with every Qt warning turned into a test failure.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QString>
#include <QtGlobal>

#include "toolkit/qt/qt_messages.h"

namespace {

void FailOnQtWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (corvantile::toolkit::IsPlatformNotice(message)) return;
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
