// Converting a sound to a melody's 16-bit PCM on Windows (under Wine: through the host's
// GStreamer), against the floor of that work: a bare source reader over the same file, asked
// for PCM, each piece written as it comes. Both write the same WAV file, take turns round after
// round, and run in this one process once both have loaded what they use. Then the peak memory
// of a process doing either once, for a 3-minute and a 30-minute source: the decoder must add
// nothing that grows with the length (under Wine the floor itself grows: Wine's own).
//   zorvik_bench_win32_convert <3-minute sound> <30-minute sound> [rounds]
#include <windows.h>

#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <psapi.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "bench/win32/child_process.h"
#include "platform/win32/wide_text.h"
#include "sound/platform_sound_decoder.h"
#include "tests/win32/scratch.h"

using namespace zorvik;
using Microsoft::WRL::ComPtr;

namespace {

// A WAV written in pieces of 64 KiB as the samples come, its sizes filled in at the end: the
// same for both, so that only the decoding differs.
class WavWriter {
public:
    WavWriter(const std::wstring& path, WORD channels, DWORD rate)
        : file_(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        const WORD blockAlign = static_cast<WORD>(channels * 2);
        const WAVEFORMATEX format{WAVE_FORMAT_PCM, channels, rate, rate * blockAlign,
                                  blockAlign,      16,       0};
        pending_.append("RIFF\0\0\0\0WAVEfmt \x10\0\0\0", 20);
        pending_.append(reinterpret_cast<const char*>(&format), 16);
        pending_.append("data\0\0\0\0", 8);
    }
    ~WavWriter() {
        flush();
        const DWORD sizes[] = {data_ + 36, data_};
        for (const auto& [offset, size] : {std::pair{4L, sizes[0]}, {40L, sizes[1]}}) {
            DWORD written = 0;
            SetFilePointer(file_, offset, nullptr, FILE_BEGIN);
            WriteFile(file_, &size, 4, &written, nullptr);
        }
        CloseHandle(file_);
    }
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    void write(const void* bytes, DWORD count) {
        pending_.append(static_cast<const char*>(bytes), count);
        data_ += count;
        if (pending_.size() >= kPiece) {
            flush();
        }
    }

private:
    static constexpr std::size_t kPiece = 64 * 1024;
    void flush() {
        DWORD written = 0;
        WriteFile(file_, pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr);
        pending_.clear();
    }

    HANDLE file_;
    std::string pending_;
    DWORD data_ = 0;
};

// The program's way: the platform's decoder, read in pieces of 64 KiB.
bool convert(const std::string& source, const std::wstring& wav) {
    auto opened = sound::createPlatformSoundDecoder()->open(source);
    if (!opened.ok()) {
        std::fprintf(stderr, "%s\n", opened.failure().message.c_str());
        return false;
    }
    auto& sound = *opened.value();
    WavWriter out(wav, sound.shape().channels, sound.shape().sampleRate);
    std::vector<std::int16_t> piece(32768);
    for (;;) {
        const auto read = sound.read(piece);
        if (!read.ok() || read.value() == 0) {
            return read.ok();
        }
        out.write(piece.data(), static_cast<DWORD>(read.value() * sizeof(std::int16_t)));
    }
}

// The floor: a source reader over the file, asked for 16-bit PCM, each piece written from the
// decoder's own buffer.
bool convertBare(const std::string& source, const std::wstring& wav) {
    const std::wstring path = win32::toWideLossy(source);
    ComPtr<IMFSourceReader> reader;
    ComPtr<IMFMediaType> pcm;
    ComPtr<IMFMediaType> decoded;
    constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
    ComPtr<IMFByteStream> stream;
    if (FAILED(MFCreateFile(MF_ACCESSMODE_READ, MF_OPENMODE_FAIL_IF_NOT_EXIST, MF_FILEFLAGS_NONE,
                            path.c_str(), &stream)) ||
        FAILED(MFCreateSourceReaderFromByteStream(stream.Get(), nullptr, &reader)) ||
        FAILED(
            reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE)) ||
        FAILED(reader->SetStreamSelection(kAudio, TRUE)) || FAILED(MFCreateMediaType(&pcm)) ||
        FAILED(pcm->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) ||
        FAILED(pcm->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM)) ||
        FAILED(pcm->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16)) ||
        FAILED(reader->SetCurrentMediaType(kAudio, nullptr, pcm.Get())) ||
        FAILED(reader->GetCurrentMediaType(kAudio, &decoded))) {
        return false;
    }
    WavWriter out(
        wav, static_cast<WORD>(MFGetAttributeUINT32(decoded.Get(), MF_MT_AUDIO_NUM_CHANNELS, 0)),
        MFGetAttributeUINT32(decoded.Get(), MF_MT_AUDIO_SAMPLES_PER_SECOND, 0));
    for (;;) {
        DWORD flags = 0;
        ComPtr<IMFSample> sample;
        if (FAILED(reader->ReadSample(kAudio, 0, nullptr, &flags, nullptr, &sample))) {
            return false;
        }
        if (sample) {
            ComPtr<IMFMediaBuffer> buffer;
            BYTE* bytes = nullptr;
            DWORD length = 0;
            if (FAILED(sample->ConvertToContiguousBuffer(&buffer)) ||
                FAILED(buffer->Lock(&bytes, nullptr, &length))) {
                return false;
            }
            out.write(bytes, length);
            buffer->Unlock();
        }
        if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0) {
            return true;
        }
    }
}

// A process that converts once, for its peak memory: it prints its peak working set in bytes.
int convertOnce(const std::string& way, const std::string& source, const std::string& wav) {
    const std::wstring target = win32::toWideLossy(wav);
    if (!(way == "program" ? convert(source, target) : convertBare(source, target))) {
        return 1;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("%llu\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    return 0;
}

// The processor time of this process, every thread of it (the decoder's own among them), in
// seconds: on a machine whose cores other work shares, it varies less than the time on the clock.
double processorSeconds() {
    FILETIME created{};
    FILETIME ended{};
    FILETIME kernel{};
    FILETIME user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return double((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::function<double()> processorTiming(std::function<void()> work) {
    return [work = std::move(work)] {
        const double before = processorSeconds();
        work();
        return processorSeconds() - before;
    };
}

double peakMiB(const std::string& way, const std::string& source, const std::string& wav) {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    const auto run = bench::runChild(self, L"--once " + win32::toWideLossy(way) + L" \"" +
                                               win32::toWideLossy(source) + L"\" \"" +
                                               win32::toWideLossy(wav) + L"\"");
    return std::strtod(run.output.c_str(), nullptr) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--once") {
        MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET);
        return convertOnce(argv[2], argv[3], argv[4]);
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <3-minute sound> <30-minute sound> [rounds]\n", argv[0]);
        return 2;
    }
    const std::string shortSound = argv[1];
    const std::string longSound = argv[2];
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 9;
    MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET);
    testing::ScratchFolder folder;
    const std::string wav = folder.path() + "\\Мелодия.wav";
    const std::wstring wideWav = testing::widePath(wav);
    // both load what they use before anything is timed
    if (!convert(shortSound, wideWav) || !convertBare(shortSound, wideWav)) {
        std::fprintf(stderr, "%s does not convert\n", shortSound.c_str());
        return 1;
    }
    bench::header("A sound converted to a melody on Windows", "floor: bare IMFSourceReader");
    const auto decoder = [&] { convert(shortSound, wideWav); };
    const auto bare = [&] { convertBare(shortSound, wideWav); };
    const auto clock = bench::interleaved(rounds, {bench::timing(decoder), bench::timing(bare)});
    bench::report("3-minute MP3 to a 16-bit PCM WAV", clock[0], clock[1]);
    const auto processor =
        bench::interleaved(rounds, {processorTiming(decoder), processorTiming(bare)});
    bench::report("the same, processor time of every thread", processor[0], processor[1]);
    for (const auto& [what, source] :
         {std::pair{"3-minute", shortSound}, {"30-minute", longSound}}) {
        std::vector<double> program;
        std::vector<double> floor;
        for (int round = 0; round < 3; ++round) {
            program.push_back(peakMiB("program", source, wav));
            floor.push_back(peakMiB("floor", source, wav));
        }
        bench::reportMiB(std::string("peak working set, ") + what + " MP3", program, floor);
    }
    MFShutdown();
    return 0;
}
