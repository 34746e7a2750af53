#pragma once

#include "sound/sound_decoder.h"

namespace zorvik::win32 {

// Windows' own decoders, through Media Foundation: whatever a source reader turns into 16-bit
// PCM (MP3, AAC/M4A, FLAC and WMA on every Windows 10 and 11 with Media Foundation, Ogg and
// Opus with Microsoft's Web Media Extensions; under Wine, what the host's GStreamer plugins
// decode). A file is recognised by its content, whatever its extension says.
class MediaFoundationDecoder final : public sound::SoundDecoder {
public:
    Result<std::unique_ptr<sound::DecodedSound>> open(const std::string& hostPath) override;
};

}  // namespace zorvik::win32
