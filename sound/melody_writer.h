#pragma once

#include <cstdint>

#include "platform/file_system.h"
#include "sound/sound_decoder.h"

namespace zorvik::sound {

// Whether a sound of `frames` frames fits in a WAV file, whose sizes are 32 bits.
bool fitsAWaveFile(std::uint64_t frames, MelodyShape shape);

// A sound written as a melody the phone plays: a RIFF/WAVE file of 16-bit PCM in the sound's
// shape, its samples block by block as they are decoded, and its header, which holds their
// length, last. Memory stays one block whatever the sound's length.
class MelodyWriter final : public ContentMaker {
public:
    explicit MelodyWriter(DecodedSound& sound) : sound_(sound) {}

    // TooLarge where the melody would pass what a WAV file holds; the decoder's own failure
    // where reading the source fails.
    Status make(ContentOutput& out, CopyProgress* progress) override;

private:
    DecodedSound& sound_;
};

}  // namespace zorvik::sound
