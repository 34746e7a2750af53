#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/file_system.h"
#include "sound/player.h"

namespace zorvik {

class SoundOutput;

// The player, with the sound libraries in a module that is loaded when sound is first wanted (or
// earlier by preload()), so that starting the program costs nothing for them.
class LazyPlayer final : public Player {
public:
    explicit LazyPlayer(const FileSystem& files);
    ~LazyPlayer() override;
    LazyPlayer(const LazyPlayer&) = delete;
    LazyPlayer& operator=(const LazyPlayer&) = delete;

    void setFileName(std::string_view path) override { fileName_ = path; }
    Status sound() override;
    Status check(std::string_view path) override;
    void stop() override;

    // Loads the module on a thread of its own, so that the first melody finds it loaded. At
    // most once; a melody wanted meanwhile waits for it.
    void preload();
    // Whether a melody (or the silence after it) is playing: the sound device is held.
    bool isPlaying();

private:
    // The module's output, loaded now if it is not yet; nullptr when it cannot be loaded.
    SoundOutput* output();
    void load();

    const FileSystem& files_;
    std::string fileName_;
    std::once_flag loadOnce_;
    std::atomic<bool> loaded_ = false;
    std::thread preloader_;
    std::unique_ptr<SoundOutput> output_;
};

}  // namespace zorvik
