#pragma once

#include <QObject>
#include <QWidget>

#include "platform/file_system.h"
#include "sound/player.h"
#include "sound/pulse/lazy_player.h"

namespace zorvik {

// The player of the Qt desktop. Its sound module is loaded once the window has first been
// painted and the event loop is idle: after the start-up, and before the user can click.
class QtPlayer final : public QObject, public Player {
public:
    QtPlayer(const FileSystem& files, QWidget& window);

    void setFileName(std::string_view path) override { player_.setFileName(path); }
    Status sound() override { return player_.sound(); }
    Status check(std::string_view path) override { return player_.check(path); }
    void stop() override { player_.stop(); }
    bool isPlaying() { return player_.isPlaying(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LazyPlayer player_;
};

}  // namespace zorvik
