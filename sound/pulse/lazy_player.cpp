#include "platform/pulse/lazy_player.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <vector>

#include "platform/failure_text.h"
#include "platform/pulse/sound_output.h"

namespace zorvik {

namespace {

// Where the module may be: installed beside the program, or where the build made it.
std::vector<std::string> modulePaths() {
    std::vector<std::string> paths;
    char executable[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length > 0) {
        const std::string program(executable, static_cast<std::size_t>(length));
        paths.push_back(program.substr(0, program.find_last_of('/') + 1) +
                        ZORVIK_SOUND_MODULE_FROM_PROGRAM);
    }
    paths.emplace_back(ZORVIK_SOUND_MODULE_BUILT);
    return paths;
}

}  // namespace

LazyPlayer::LazyPlayer(const FileSystem& files) : files_(files) {}

LazyPlayer::~LazyPlayer() {
    if (preloader_.joinable()) {
        preloader_.join();
    }
    // the module stays loaded: its libraries may have left handlers behind in the process
    output_.reset();
}

void LazyPlayer::load() {
    for (const auto& path : modulePaths()) {
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            continue;
        }
        const auto create =
            reinterpret_cast<CreateSoundOutput>(::dlsym(module, kCreateSoundOutput));
        if (create != nullptr) {
            output_.reset(create());
            break;
        }
    }
    loaded_ = true;
}

void LazyPlayer::preload() {
    if (!preloader_.joinable()) {
        preloader_ = std::thread([this] { std::call_once(loadOnce_, [this] { load(); }); });
    }
}

SoundOutput* LazyPlayer::output() {
    std::call_once(loadOnce_, [this] { load(); });
    return output_.get();
}

Status LazyPlayer::sound() {
    const std::string shown = files_.displayPath(fileName_);
    stop();  // a new melody cuts the one playing short, whether or not it can play
    const auto host = files_.hostPath(fileName_);
    if (!host.ok()) {
        return failure_text::playFailed(host.failure().code, shown);
    }
    SoundOutput* sound = output();
    if (sound == nullptr) {
        return failure_text::playFailed(PlayFault::NoSoundLibraries, shown);
    }
    return sound->play(host.value(), shown);
}

void LazyPlayer::stop() {
    // nothing can play before the module is loaded
    if (loaded_ && output_) {
        output_->stop();
    }
}

bool LazyPlayer::isPlaying() {
    return loaded_ && output_ && output_->isPlaying();
}

}  // namespace zorvik
