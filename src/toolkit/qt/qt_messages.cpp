#include "toolkit/qt/qt_messages.h"

#include <QtGlobal>

namespace corvantile::toolkit {
namespace {

QtMessageHandler previousHandler = nullptr;

void DropPlatformNotices(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
  if (IsPlatformNotice(message)) return;
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

bool IsPlatformNotice(const QString& message) {
  return message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) ||
         message == QLatin1String("This plugin does not support propagateSizeHints()") ||
         message == QLatin1String("This plugin does not support raise()");
}

void SilencePlatformNotices() { previousHandler = qInstallMessageHandler(DropPlatformNotices); }

}  // namespace corvantile::toolkit
