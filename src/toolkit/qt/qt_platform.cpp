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

SaveAnswer QtPlatform::AskToSave(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Corvantile"), QString::fromStdString(text),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                  QApplication::activeWindow());
  box.setObjectName(QStringLiteral("saveQuestion"));
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveAnswer::Save;
    case QMessageBox::Discard:
      return SaveAnswer::Discard;
    default:
      return SaveAnswer::Cancel;
  }
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
