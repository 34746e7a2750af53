#include "sound/win32/media_foundation_decoder.h"

#include <algorithm>

#include "platform/scoped_value.h"
#include "platform/win32/wide_text.h"
#include "sound/win32/source_reader_sound.h"
#include "texts/texts.h"

namespace zorvik::win32 {

namespace {

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

Failure because(ErrorCode code, std::string_view reason) {
    return {code, std::string(reason)};
}

// The rate a phone plays nearest to `rate`: above the range, the highest rate of the same
// family (88.2 kHz halves to 44.1 kHz, 96 kHz to 48 kHz), whose ratio resamples cleanest.
UINT32 melodyRate(UINT32 rate) {
    constexpr UINT32 kCompactDiscRate = 44100;
    if (rate > sound::kHighestMelodyRate) {
        return rate % kCompactDiscRate == 0 ? kCompactDiscRate : sound::kHighestMelodyRate;
    }
    return std::max(rate, sound::kLowestMelodyRate);
}

// The source's sound file as a media source chosen by its content: the extension (or its
// absence) is only a first guess.
Result<ComPtr<IMFMediaSource>> mediaSource(const MediaFoundation& library,
                                           const std::wstring& path) {
    ComPtr<IMFByteStream> stream;
    HRESULT result = library.createFile(MF_ACCESSMODE_READ, MF_OPENMODE_FAIL_IF_NOT_EXIST,
                                        MF_FILEFLAGS_NONE, path.c_str(), &stream);
    if (FAILED(result)) {
        return failureOfDecoding(result);
    }
    QWORD length = 0;
    if (SUCCEEDED(stream->GetLength(&length)) && length == 0) {
        return because(ErrorCode::Corrupt, texts::kSoundFileEmpty);
    }
    ComPtr<IMFSourceResolver> resolver;
    MF_OBJECT_TYPE type = MF_OBJECT_INVALID;
    ComPtr<IUnknown> object;
    ComPtr<IMFMediaSource> source;
    result = library.createSourceResolver(&resolver);
    if (SUCCEEDED(result)) {
        constexpr DWORD kByContent =
            MF_RESOLUTION_MEDIASOURCE | MF_RESOLUTION_READ |
            MF_RESOLUTION_CONTENT_DOES_NOT_HAVE_TO_MATCH_EXTENSION_OR_MIME_TYPE;
        result = resolver->CreateObjectFromByteStream(stream.Get(), path.c_str(), kByContent,
                                                      nullptr, &type, &object);
    }
    if (SUCCEEDED(result)) {
        result = object.As(&source);
    }
    if (FAILED(result)) {
        return failureOfDecoding(result);
    }
    return source;
}

std::uint64_t durationOf(IMFMediaSource& source) {
    ComPtr<IMFPresentationDescriptor> presentation;
    UINT64 duration = 0;
    if (SUCCEEDED(source.CreatePresentationDescriptor(&presentation))) {
        presentation->GetUINT64(MF_PD_DURATION, &duration);
    }
    return duration;
}

// The first audio stream alone, asked for as 16-bit PCM.
Result<DecodedFormat> decodeAsPcm(const MediaFoundation& library, IMFSourceReader& reader) {
    reader.SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    if (FAILED(reader.SetStreamSelection(kAudio, TRUE))) {
        return because(ErrorCode::Unsupported, texts::kNoSoundInFile);
    }
    auto wanted = pcmType(library);
    if (!wanted.ok()) {
        return wanted.failure();
    }
    ComPtr<IMFMediaType> decoded;
    HRESULT result = reader.SetCurrentMediaType(kAudio, nullptr, wanted.value().Get());
    if (SUCCEEDED(result)) {
        result = reader.GetCurrentMediaType(kAudio, &decoded);
    }
    if (FAILED(result)) {
        return failureOfDecoding(result);
    }
    DecodedFormat format;
    decoded->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &format.channels);
    decoded->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &format.sampleRate);
    decoded->GetUINT32(MF_MT_AUDIO_CHANNEL_MASK, &format.speakerMask);
    if (format.channels == 0 || format.sampleRate == 0) {
        return failureOfDecoding(MF_E_INVALIDMEDIATYPE);
    }
    return format;
}

}  // namespace

Result<std::unique_ptr<sound::DecodedSound>> MediaFoundationDecoder::open(
    const std::string& hostPath) {
    const auto& loaded = mediaFoundation();
    if (!loaded.ok()) {
        return loaded.failure();
    }
    const MediaFoundation& library = *loaded.value();
    const auto path = apiPath(hostPath);
    if (!path.ok()) {
        return path.failure();
    }
    auto source = mediaSource(library, path.value());
    if (!source.ok()) {
        return source.failure();
    }
    IMFMediaSource& media = *source.value().Get();
    const std::uint64_t duration = durationOf(media);
    ComPtr<IMFSourceReader> reader;
    {
        // until a reader owns the source, which it then shuts down when it goes
        ScopeExit shutDown([&] {
            if (!reader) {
                media.Shutdown();
            }
        });
        const HRESULT result = library.createSourceReader(&media, nullptr, &reader);
        if (FAILED(result)) {
            return failureOfDecoding(result);
        }
    }
    const auto format = decodeAsPcm(library, *reader.Get());
    if (!format.ok()) {
        return format.failure();
    }
    const DecodedFormat& decoded = format.value();
    const sound::MelodyShape shape{
        static_cast<std::uint16_t>(std::min<UINT32>(decoded.channels, sound::kMostMelodyChannels)),
        melodyRate(decoded.sampleRate)};
    std::unique_ptr<PcmResampler> resampler;
    if (shape.sampleRate != decoded.sampleRate) {
        auto made =
            PcmResampler::create(library, shape.channels, decoded.sampleRate, shape.sampleRate);
        if (!made.ok()) {
            return made.failure();
        }
        resampler = std::move(made).value();
    }
    auto sound = std::make_unique<SourceReaderSound>(std::move(reader), decoded,
                                                     std::move(resampler), shape, duration);
    // the first piece decoded: what fails there is refused now, before anything is written
    if (const Status first = sound->decodeNextPiece(); !first.ok()) {
        return first.failure();
    }
    if (sound->endedEmpty()) {
        return because(ErrorCode::Unsupported, texts::kNoSoundInFile);
    }
    return std::unique_ptr<sound::DecodedSound>(std::move(sound));
}

}  // namespace zorvik::win32
