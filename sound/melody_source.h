#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_steps.h"
#include "sound/sound_decoder.h"

namespace zorvik::sound {

// The name under which the file `fileName` becomes a melody: its own where the list shows it
// ("*.wav"), else its stem and ".wav".
std::string melodyName(std::string_view fileName);

// What a file chosen to become a melody is, found before anything is asked or written: a WAV
// the phone plays as it is (copied byte for byte, `sound` empty), or a sound a decoder here
// reads, opened to be converted.
struct MelodySource {
    std::unique_ptr<DecodedSound> sound;
};

// Reads `file` for a WAV header the program's own check takes; anything else goes to `decoder`
// by its host path. A sound too long for a WAV file is refused here. The failure's message is a
// reason only: a WAV's own where the check refused one that no decoder reads either.
Result<MelodySource> examineMelodySource(SourceReader& file, const std::string& hostPath,
                                         SoundDecoder& decoder);

}  // namespace zorvik::sound
