#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "sound/sound_decoder.h"
#include "sound/win32/channel_downmix.h"
#include "sound/win32/media_foundation.h"
#include "sound/win32/pcm_resampler.h"

namespace zorvik::win32 {

// What the source gives once asked for 16-bit PCM: its channels, their speakers and its rate.
struct DecodedFormat {
    UINT32 channels = 0;
    UINT32 speakerMask = 0;  // 0 where the source does not say
    UINT32 sampleRate = 0;
};

// A sound read through a source reader a piece at a time, each piece mixed down and resampled
// into the melody's shape as it comes: only one piece is ever held.
class SourceReaderSound final : public sound::DecodedSound {
public:
    // `duration` in 100-nanosecond units, 0 where the source does not say.
    SourceReaderSound(ComPtr<IMFSourceReader> reader, const DecodedFormat& format,
                      std::unique_ptr<PcmResampler> resampler, sound::MelodyShape shape,
                      std::uint64_t duration);

    sound::MelodyShape shape() const override { return shape_; }
    std::uint64_t frames() const override;
    Result<std::size_t> read(std::span<std::int16_t> into) override;
    sound::DecodingProgress progress() const override;

    // Decodes the next piece; the first one tells whether the source decodes at all.
    Status decodeNextPiece();
    bool endedEmpty() const { return ended_ && ready_.empty(); }

private:
    Status take(IMFSample& sample);
    Status end();

    ComPtr<IMFSourceReader> reader_;
    DecodedFormat format_;
    std::optional<ChannelDownmix> downmix_;
    std::unique_ptr<PcmResampler> resampler_;
    sound::MelodyShape shape_;
    std::vector<std::int16_t> mixed_;  // the last piece, mixed down before it is resampled
    std::vector<std::int16_t> ready_;  // the last piece in the melody's shape
    std::size_t readyFrom_ = 0;        // where in it the next read starts
    bool ended_ = false;
    bool decodedAny_ = false;
    std::uint64_t done_ = 0;
    std::uint64_t duration_;
};

}  // namespace zorvik::win32
