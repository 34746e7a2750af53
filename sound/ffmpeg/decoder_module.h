#pragma once

#include "sound/sound_decoder.h"

namespace zorvik::sound {

// The FFmpeg module's one entry point, looked up by this name. The module holds FFmpeg's
// libraries, over a hundred with what they bring, loaded with dlopen only when a sound other
// than a WAV is first added: neither the start nor the player pays for them.
using CreateSoundDecoder = SoundDecoder* (*)();
inline constexpr const char* kCreateSoundDecoder = "zorvik_create_sound_decoder";

}  // namespace zorvik::sound
