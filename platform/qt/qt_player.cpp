#include "platform/qt/qt_player.h"

#include <QEvent>
#include <QTimer>

namespace zorvik {

QtPlayer::QtPlayer(const FileSystem& files, QWidget& window) : player_(files) {
    window.installEventFilter(this);
}

bool QtPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // queued behind the paint, so that the first paint never waits for it
        QTimer::singleShot(0, this, [this] { player_.preload(); });
    }
    return false;
}

}  // namespace zorvik
