#include "sound/pulse/lazy_player.h"

#include "platform/posix/loadable_module.h"
#include "sound/pulse/sound_output.h"
#include "sound/sound_failures.h"

namespace zorvik {

LazyPlayer::LazyPlayer(const FileSystem& files) : files_(files) {}

LazyPlayer::~LazyPlayer() {
    if (preloader_.joinable()) {
        preloader_.join();
    }
    // the module stays loaded: its libraries may have left handlers behind in the process
    output_.reset();
}

void LazyPlayer::load() {
    const auto create = reinterpret_cast<CreateSoundOutput>(posix::moduleEntry(
        ZORVIK_SOUND_MODULE_FROM_PROGRAM, ZORVIK_SOUND_MODULE_BUILT, kCreateSoundOutput));
    if (create != nullptr) {
        output_.reset(create());
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

Status LazyPlayer::check(std::string_view path) {
    const auto host = files_.hostPath(path);
    if (!host.ok()) {
        return Failure{host.failure().code, std::string(failure_text::reason(host.failure().code))};
    }
    SoundOutput* sound = output();
    if (sound == nullptr) {
        return failure_text::playFault(PlayFault::NoSoundLibraries);
    }
    return sound->check(host.value());
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
