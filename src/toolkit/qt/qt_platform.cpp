#include "toolkit/qt/qt_platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QScreen>

namespace corvantile::toolkit {

ScreenTwips QtPlatform::screen() const {
  if (forcedScreen_) return *forcedScreen_;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect geometry = screen->geometry();
    return ScreenTwips::FromPixels(geometry.width(), geometry.height());
  }
  return ScreenTwips::FromPixels(1024, 768);
}

void QtPlatform::Beep() { QApplication::beep(); }

void QtPlatform::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Corvantile"), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setObjectName(QStringLiteral("messageBox"));
  box.exec();
}

void QtPlatform::ShowDialog(DialogId dialog) {
  auto it = dialogs_.find(dialog);
  if (it != dialogs_.end() && it->second) it->second();
}

void QtPlatform::Quit() {
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                            Qt::QueuedConnection);
}

void QtPlatform::RegisterDialog(DialogId dialog, std::function<void()> show) {
  dialogs_[dialog] = std::move(show);
}

}  // namespace corvantile::toolkit
