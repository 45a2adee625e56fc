#pragma once

// Qt's own notices that say something about the machine, not about this program: the missing
// per-user runtime directory, and the offscreen platform's word that it cannot propagate size
// hints or raise a window (a real screen is silent). The programs keep them off stderr and the
// Qt tests do not count them as warnings; every other message goes through as usual.
#include <QString>

namespace corvantile::toolkit {

// "This plugin does not support raise()" -> true; "QWidget::setLayout: ..." -> false.
bool IsPlatformNotice(const QString& message);

// Installs a message handler that drops the platform notices and hands every other message to
// the handler that was there before. Call it before the QApplication is made.
void SilencePlatformNotices();

}  // namespace corvantile::toolkit
