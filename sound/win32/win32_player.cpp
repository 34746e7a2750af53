#include "sound/win32/win32_player.h"

#include "sound/sound_failures.h"
#include "sound/win32/wave_source.h"
#include "sound/win32/wave_stream.h"

namespace zorvik::win32 {

Win32Player::Win32Player() : Win32Player([] { return waveOutGetNumDevs(); }) {}

Win32Player::Win32Player(std::function<unsigned()> deviceCount)
    : deviceCount_(std::move(deviceCount)) {}

Win32Player::~Win32Player() = default;

Status Win32Player::sound() {
    stop();  // a new melody cuts the one playing short, whether or not it can play
    // PlaySound and waveOut report success with no sound device at all; asking first lets the
    // user be told.
    if (deviceCount_() == 0) {
        return failure_text::playFailed(ErrorCode::NoDevice, fileName_);
    }
    auto source = openWaveSource(fileName_);
    if (!source.ok()) {
        return failure_text::playFailed(source.failure().code, fileName_, source.failure().message);
    }
    auto stream = WaveStream::start(std::move(source).value());
    if (!stream.ok()) {
        return failure_text::playFailed(stream.failure().code, fileName_, stream.failure().message);
    }
    playing_ = std::move(stream).value();
    return Status::success();
}

Status Win32Player::check(std::string_view path) {
    auto source = openWaveSource(path);
    if (!source.ok()) {
        return source.failure();
    }
    return WaveStream::checkFormat(source.value().header);
}

void Win32Player::stop() {
    playing_.reset();
}

bool Win32Player::isPlaying() const {
    return playing_ && playing_->playing();
}

}  // namespace zorvik::win32
