#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "sound/win32/media_foundation.h"

#include <mftransform.h>

namespace zorvik::win32 {

// Windows' Resampler DSP as a transform, for a sound whose rate a phone does not play: 16-bit
// PCM from one rate to another. (A source reader asked for another rate than the source's
// fails under Wine; the DSP works on both.)
class PcmResampler {
public:
    static Result<std::unique_ptr<PcmResampler>> create(const MediaFoundation& library,
                                                        UINT32 channels, UINT32 fromRate,
                                                        UINT32 toRate);

    // Takes interleaved frames and appends to `into` what has come out of them so far.
    Status push(std::span<const std::int16_t> frames, std::vector<std::int16_t>& into);
    // At the end of the source: appends what the resampler still holds.
    Status drain(std::vector<std::int16_t>& into);

private:
    PcmResampler(const MediaFoundation& library, ComPtr<IMFTransform> transform,
                 ComPtr<IMFSample> output, ComPtr<IMFMediaBuffer> outputBuffer)
        : library_(library),
          transform_(std::move(transform)),
          output_(std::move(output)),
          outputBuffer_(std::move(outputBuffer)) {}
    Status collect(std::vector<std::int16_t>& into);

    const MediaFoundation& library_;
    ComPtr<IMFTransform> transform_;
    ComPtr<IMFSample> output_;
    ComPtr<IMFMediaBuffer> outputBuffer_;
};

}  // namespace zorvik::win32
