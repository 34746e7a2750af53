#pragma once

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <wrl/client.h>

#include "platform/status.h"

// Media Foundation, reached only when a sound other than a WAV is added: its libraries are
// loaded at the first use and not imported, so that they cost the program's start nothing and
// a Windows without them (the N editions before the Media Feature Pack) refuses that sound
// alone, with what to install.
namespace zorvik::win32 {

using Microsoft::WRL::ComPtr;

struct MediaFoundation {
    decltype(&MFCreateFile) createFile = nullptr;
    decltype(&MFCreateSourceResolver) createSourceResolver = nullptr;
    decltype(&MFCreateSourceReaderFromMediaSource) createSourceReader = nullptr;
    decltype(&MFCreateMediaType) createMediaType = nullptr;
    decltype(&MFCreateSample) createSample = nullptr;
    decltype(&MFCreateMemoryBuffer) createMemoryBuffer = nullptr;
    decltype(&CoCreateInstance) createInstance = nullptr;
};

// Media Foundation's libraries, loaded from Windows' own folder by these names, and started;
// shut down when it ends. Where a library is missing, the failure says what to install.
class MediaFoundationSession {
public:
    explicit MediaFoundationSession(const wchar_t* platform = L"mfplat.dll",
                                    const wchar_t* reading = L"mfreadwrite.dll");
    ~MediaFoundationSession();
    MediaFoundationSession(const MediaFoundationSession&) = delete;
    MediaFoundationSession& operator=(const MediaFoundationSession&) = delete;

    const Result<const MediaFoundation*>& state() const { return state_; }

private:
    MediaFoundation functions_;
    decltype(&MFShutdown) shutdown_ = nullptr;
    Result<const MediaFoundation*> state_{&functions_};
};

// The process's one session, made at the first call; its failure is the same on every call.
// Any thread may then use what it makes: the multithreaded apartment is kept for the process,
// so a thread that never initialised COM (the worker of a long conversion) uses it, and a
// window's thread keeps its own.
const Result<const MediaFoundation*>& mediaFoundation();

// Why Media Foundation refused: the system's own reason where it gives one of Windows' errors
// (a file missing, access denied), otherwise that the file is no sound this machine decodes.
Failure failureOfDecoding(HRESULT result);

// A 16-bit PCM media type of `channels` at `sampleRate`; with 0 channels, only the sample format
// is set, as a source reader is asked for it, leaving the rest as the source has it.
Result<ComPtr<IMFMediaType>> pcmType(const MediaFoundation& library, UINT32 channels = 0,
                                     UINT32 sampleRate = 0);

// A media buffer's bytes while it lives; bytes() is null where the buffer would not lock.
class LockedBuffer {
public:
    explicit LockedBuffer(IMFMediaBuffer* buffer) : buffer_(buffer) {
        if (FAILED(buffer_->Lock(&bytes_, nullptr, &length_))) {
            bytes_ = nullptr;
        }
    }
    ~LockedBuffer() {
        if (bytes_ != nullptr) {
            buffer_->Unlock();
        }
    }
    LockedBuffer(const LockedBuffer&) = delete;
    LockedBuffer& operator=(const LockedBuffer&) = delete;
    BYTE* bytes() const { return bytes_; }
    DWORD length() const { return length_; }

private:
    IMFMediaBuffer* buffer_;
    BYTE* bytes_ = nullptr;
    DWORD length_ = 0;
};

}  // namespace zorvik::win32
