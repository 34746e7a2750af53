#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sound/sound_decoder.h"

namespace zorvik::testing {

// A platform's decoder for the sound table, and where it finds the sounds that
// tests/contract/make-test-sounds made before the tests ran.
struct SoundDecoderBackend {
    std::string name;
    std::function<std::unique_ptr<sound::SoundDecoder>()> make;
    std::function<std::string(std::string_view fileName)> pathOf;
    // Its reason for a file that is no sound it decodes.
    std::string undecodable;
};

// The decoders this test binary runs the table against; a binary that links the table defines it.
std::vector<SoundDecoderBackend> soundDecoderBackends();

}  // namespace zorvik::testing
