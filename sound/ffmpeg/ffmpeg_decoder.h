#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_steps.h"
#include "sound/sound_decoder.h"

namespace zorvik::sound {

// Every sound FFmpeg's libraries read (MP3, M4A/AAC, FLAC, Ogg Vorbis, Opus, WMA, AIFF, and
// WAV files the program's own check refuses), decoded block by block as it is read, mixed down
// to two channels and resampled into the melody's range by libswresample. FFmpeg reads only
// through the reader given, as a sound container of a known kind: it opens nothing else (no
// playlist, no other file, no network) and decodes nothing but sound.
class FfmpegDecoder final : public SoundDecoder {
public:
    FfmpegDecoder();

    Result<std::unique_ptr<DecodedSound>> open(const std::string& hostPath) override;

    // A sound read through `source`; `name` (may be "") helps tell its kind by its extension.
    static Result<std::unique_ptr<DecodedSound>> openFrom(std::unique_ptr<SourceReader> source,
                                                          std::string_view name);
};

}  // namespace zorvik::sound
