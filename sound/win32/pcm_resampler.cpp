#include "sound/win32/pcm_resampler.h"

#include <wmcodecdsp.h>

#include <cstring>

#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

// What the resampler is given to write into: a quarter of a second (it asks for 4 bytes, and
// under Wine gives nothing into a buffer that small).
constexpr DWORD kOutputsPerSecond = 4;

}  // namespace

Result<std::unique_ptr<PcmResampler>> PcmResampler::create(const MediaFoundation& library,
                                                           UINT32 channels, UINT32 fromRate,
                                                           UINT32 toRate) {
    const auto refused = [fromRate](HRESULT) -> Failure {
        return {ErrorCode::Unsupported,
                failure_text::filled(texts::kNoResampler, {std::to_string(fromRate)})};
    };
    ComPtr<IMFTransform> transform;
    HRESULT result = library.createInstance(CLSID_CResamplerMediaObject, nullptr,
                                            CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&transform));
    if (FAILED(result)) {
        return refused(result);
    }
    const auto input = pcmType(library, channels, fromRate);
    const auto output = pcmType(library, channels, toRate);
    if (!input.ok() || !output.ok()) {
        return input.ok() ? output.failure() : input.failure();
    }
    result = transform->SetInputType(0, input.value().Get(), 0);
    if (SUCCEEDED(result)) {
        result = transform->SetOutputType(0, output.value().Get(), 0);
    }
    if (FAILED(result)) {
        return refused(result);
    }
    transform->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
    transform->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0);

    ComPtr<IMFSample> sample;
    ComPtr<IMFMediaBuffer> buffer;
    const DWORD bytes = toRate * channels * 2 / kOutputsPerSecond;
    result = library.createSample(&sample);
    if (SUCCEEDED(result)) {
        result = library.createMemoryBuffer(bytes, &buffer);
    }
    if (SUCCEEDED(result)) {
        result = sample->AddBuffer(buffer.Get());
    }
    if (FAILED(result)) {
        return failureOfDecoding(result);
    }
    return std::unique_ptr<PcmResampler>(
        new PcmResampler(library, std::move(transform), std::move(sample), std::move(buffer)));
}

Status PcmResampler::push(std::span<const std::int16_t> frames, std::vector<std::int16_t>& into) {
    // A sample of its own each time: the transform may keep the one it was given.
    ComPtr<IMFSample> sample;
    ComPtr<IMFMediaBuffer> buffer;
    const auto bytes = static_cast<DWORD>(frames.size_bytes());
    HRESULT result = library_.createSample(&sample);
    if (SUCCEEDED(result)) {
        result = library_.createMemoryBuffer(bytes, &buffer);
    }
    if (SUCCEEDED(result)) {
        const LockedBuffer locked(buffer.Get());
        if (locked.bytes() == nullptr) {
            return failureOfDecoding(E_FAIL);
        }
        std::memcpy(locked.bytes(), frames.data(), bytes);
    }
    if (SUCCEEDED(result)) {
        result = buffer->SetCurrentLength(bytes);
    }
    if (SUCCEEDED(result)) {
        result = sample->AddBuffer(buffer.Get());
    }
    if (SUCCEEDED(result)) {
        result = transform_->ProcessInput(0, sample.Get(), 0);
        if (result == MF_E_NOTACCEPTING) {
            if (const Status emptied = collect(into); !emptied.ok()) {
                return emptied;
            }
            result = transform_->ProcessInput(0, sample.Get(), 0);
        }
    }
    if (FAILED(result)) {
        return failureOfDecoding(result);
    }
    return collect(into);
}

Status PcmResampler::drain(std::vector<std::int16_t>& into) {
    transform_->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0);
    return collect(into);
}

Status PcmResampler::collect(std::vector<std::int16_t>& into) {
    for (;;) {
        outputBuffer_->SetCurrentLength(0);
        MFT_OUTPUT_DATA_BUFFER data{};
        data.pSample = output_.Get();
        DWORD status = 0;
        const HRESULT result = transform_->ProcessOutput(0, 1, &data, &status);
        if (data.pEvents != nullptr) {
            data.pEvents->Release();
        }
        if (result == MF_E_TRANSFORM_NEED_MORE_INPUT) {
            return Status::success();
        }
        if (FAILED(result)) {
            return failureOfDecoding(result);
        }
        const LockedBuffer locked(outputBuffer_.Get());
        if (locked.bytes() == nullptr) {
            return failureOfDecoding(E_FAIL);
        }
        if (locked.length() == 0) {
            return Status::success();  // nothing more until it is given more
        }
        const auto* samples = reinterpret_cast<const std::int16_t*>(locked.bytes());
        into.insert(into.end(), samples, samples + locked.length() / sizeof(std::int16_t));
    }
}

}  // namespace zorvik::win32
