#include "sound/win32/media_foundation.h"

#include "platform/win32/running_under_wine.h"
#include "platform/win32/win32_errors.h"
#include "texts/texts.h"

namespace zorvik::win32 {

namespace {

// Only from Windows' own folder: a library of the same name beside the program (a folder a user
// may write to) must not be taken for it.
HMODULE systemLibrary(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

template <typename Function>
bool found(HMODULE library, const char* name, Function& into) {
    into = library == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return into != nullptr;
}

}  // namespace

MediaFoundationSession::MediaFoundationSession(const wchar_t* platform, const wchar_t* reading) {
    const HMODULE platformLibrary = systemLibrary(platform);
    const HMODULE readingLibrary = systemLibrary(reading);
    const HMODULE com = systemLibrary(L"ole32.dll");
    decltype(&MFStartup) startup = nullptr;
    decltype(&CoIncrementMTAUsage) keepApartment = nullptr;
    const bool complete =
        found(platformLibrary, "MFStartup", startup) &&
        found(platformLibrary, "MFShutdown", shutdown_) &&
        found(platformLibrary, "MFCreateFile", functions_.createFile) &&
        found(platformLibrary, "MFCreateSourceResolver", functions_.createSourceResolver) &&
        found(platformLibrary, "MFCreateMediaType", functions_.createMediaType) &&
        found(platformLibrary, "MFCreateSample", functions_.createSample) &&
        found(platformLibrary, "MFCreateMemoryBuffer", functions_.createMemoryBuffer) &&
        found(readingLibrary, "MFCreateSourceReaderFromMediaSource",
              functions_.createSourceReader) &&
        found(com, "CoCreateInstance", functions_.createInstance) &&
        found(com, "CoIncrementMTAUsage", keepApartment);
    CO_MTA_USAGE_COOKIE apartment = nullptr;  // kept for the process
    if (!complete || FAILED(keepApartment(&apartment)) ||
        FAILED(startup(MF_VERSION, MFSTARTUP_NOSOCKET))) {
        shutdown_ = nullptr;
        state_ = Failure{ErrorCode::NotAvailable, std::string(texts::kMediaFoundationMissing)};
    }
}

MediaFoundationSession::~MediaFoundationSession() {
    if (shutdown_ != nullptr) {
        shutdown_();
    }
}

const Result<const MediaFoundation*>& mediaFoundation() {
    static const MediaFoundationSession session;
    return session.state();
}

Failure failureOfDecoding(HRESULT result) {
    if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
        return failureOf(HRESULT_CODE(result));
    }
    if (result == E_OUTOFMEMORY) {
        return failureOf(ERROR_OUTOFMEMORY);
    }
    // Under Wine a missing GStreamer plugin fails as a damaged file does, so the reason names
    // both, and which package reads which format.
    return {ErrorCode::Unsupported,
            std::string(runningUnderWine() ? texts::kSoundNotDecodableUnderWine
                                           : texts::kSoundNotDecodable)};
}

Result<ComPtr<IMFMediaType>> pcmType(const MediaFoundation& library, UINT32 channels,
                                     UINT32 sampleRate) {
    constexpr UINT32 kBytesPerSample = 2;
    ComPtr<IMFMediaType> type;
    HRESULT result = library.createMediaType(&type);
    if (SUCCEEDED(result)) {
        result = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    }
    if (SUCCEEDED(result)) {
        result = type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
    }
    if (SUCCEEDED(result)) {
        result = type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 8 * kBytesPerSample);
    }
    if (SUCCEEDED(result) && channels != 0) {
        const UINT32 blockAlign = channels * kBytesPerSample;
        const HRESULT steps[] = {
            type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels),
            type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, sampleRate),
            type->SetUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, blockAlign),
            type->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, blockAlign * sampleRate),
            type->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, TRUE),
        };
        for (const HRESULT step : steps) {
            result = FAILED(result) ? result : step;
        }
    }
    if (FAILED(result)) {
        return failureOfDecoding(result);
    }
    return type;
}

}  // namespace zorvik::win32
