#pragma once

#include <string>

#include "platform/status.h"

namespace zorvik {

// What the sound module offers the program: playing one WAV file at a time, by its host path,
// on the default output. The module holds the sound libraries and is loaded with dlopen when
// sound is first needed, so that the program starts without them.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    // Cuts short whatever plays and starts the file; returns once the sound server has taken
    // the stream, with the rest played from a thread of the module. `shown` names the file in
    // failures.
    virtual Status play(const std::string& hostPath, const std::string& shown) = 0;
    // Whether the file would play: opened and its header read as play() does, nothing played.
    // The failure's message is a reason only.
    virtual Status check(const std::string& hostPath) = 0;
    virtual void stop() = 0;
    // Whether a stream is open: from play() until the melody and its tail have played (or stop).
    virtual bool isPlaying() = 0;
};

// The module's one entry point, looked up by this name.
using CreateSoundOutput = SoundOutput* (*)();
inline constexpr const char* kCreateSoundOutput = "zorvik_create_sound_output";

}  // namespace zorvik
