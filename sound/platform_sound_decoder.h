#pragma once

#include <memory>

#include "sound/sound_decoder.h"

namespace zorvik::sound {

// The decoder of the platform the build is for, which each build's sound backend defines: one
// that reads every sound the platform's own libraries read, loaded when it is first needed.
std::unique_ptr<SoundDecoder> createPlatformSoundDecoder();

}  // namespace zorvik::sound
