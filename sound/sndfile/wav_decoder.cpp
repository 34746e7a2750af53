#include "sound/sndfile/wav_decoder.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "platform/posix/host_errors.h"
#include "sound/sound_failures.h"
#include "sound/wave_header.h"

namespace zorvik {

// libsndfile reads through here, so that it reads exactly the bytes the header check read: the
// open file (never its path again) or the bytes in memory.
struct WavDecoder::Handle {
    SNDFILE* file = nullptr;
    posix::FileDescriptor descriptor;
    std::string memory;  // the bytes of a file opened from memory
    std::uint64_t size = 0;
    sf_count_t position = 0;
    SF_VIRTUAL_IO io{};
    std::vector<float> scratch;

    ~Handle() {
        if (file != nullptr) {
            sf_close(file);
        }
    }

    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<unsigned char> into) const {
        if (offset >= size) {
            return 0;
        }
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), size - offset));
        if (!descriptor.valid()) {
            std::memcpy(into.data(), memory.data() + offset, wanted);
            return wanted;
        }
        for (;;) {
            const ssize_t got =
                ::pread(descriptor.get(), into.data(), wanted, static_cast<off_t>(offset));
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                return std::nullopt;
            }
        }
    }
};

namespace {

WavDecoder::Handle& handleOf(void* user) {
    return *static_cast<WavDecoder::Handle*>(user);
}

sf_count_t sourceLength(void* user) {
    return static_cast<sf_count_t>(handleOf(user).size);
}

sf_count_t sourceSeek(sf_count_t offset, int whence, void* user) {
    auto& handle = handleOf(user);
    const auto size = static_cast<sf_count_t>(handle.size);
    sf_count_t target = offset;
    if (whence == SEEK_CUR) {
        target += handle.position;
    } else if (whence == SEEK_END) {
        target += size;
    }
    handle.position = std::clamp<sf_count_t>(target, 0, size);
    return handle.position;
}

sf_count_t sourceRead(void* out, sf_count_t count, void* user) {
    auto& handle = handleOf(user);
    const auto got = handle.readAt(static_cast<std::uint64_t>(handle.position),
                                   {static_cast<unsigned char*>(out),
                                    static_cast<std::size_t>(std::max<sf_count_t>(count, 0))});
    const auto taken = static_cast<sf_count_t>(got.value_or(0));
    handle.position += taken;
    return taken;
}

sf_count_t sourceWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t sourceTell(void* user) {
    return handleOf(user).position;
}

bool isWaveContainer(int format) {
    const int container = format & SF_FORMAT_TYPEMASK;
    return container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX ||
           container == SF_FORMAT_RF64;
}

Failure errnoFailure(int error) {
    return {posix::codeOfErrno(error), posix::reasonOfErrno(error)};
}

}  // namespace

WavDecoder::WavDecoder(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
WavDecoder::~WavDecoder() = default;

Result<std::shared_ptr<WavDecoder>> WavDecoder::openFile(const std::string& hostPath) {
    auto handle = std::make_unique<Handle>();
    // O_NONBLOCK: a FIFO that replaced a melody would otherwise hold the window until someone
    // writes to it
    handle->descriptor = posix::FileDescriptor(
        ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!handle->descriptor.valid()) {
        return errnoFailure(errno);
    }
    struct stat info {};
    if (::fstat(handle->descriptor.get(), &info) != 0) {
        return errnoFailure(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return Failure{ErrorCode::IsFolder, std::string(failure_text::reason(ErrorCode::IsFolder))};
    }
    if (!S_ISREG(info.st_mode)) {
        return failure_text::playFault(PlayFault::NotAFile);
    }
    handle->size = static_cast<std::uint64_t>(info.st_size);
    return open(std::move(handle));
}

Result<std::shared_ptr<WavDecoder>> WavDecoder::openMemory(std::string bytes) {
    auto handle = std::make_unique<Handle>();
    handle->memory = std::move(bytes);
    handle->size = handle->memory.size();
    return open(std::move(handle));
}

Result<std::shared_ptr<WavDecoder>> WavDecoder::open(std::unique_ptr<Handle> handle) {
    const Handle& source = *handle;
    const auto header = readWaveHeader(
        handle->size, [&source](std::uint64_t offset, std::span<unsigned char> into) {
            return source.readAt(offset, into);
        });
    if (!header.ok()) {
        return header.failure();
    }
    handle->io = {sourceLength, sourceSeek, sourceRead, sourceWrite, sourceTell};
    SF_INFO info{};
    handle->file = sf_open_virtual(&handle->io, SFM_READ, &info, handle.get());
    // what plays must be what was checked
    if (handle->file == nullptr || !isWaveContainer(info.format) ||
        info.channels != header.value().channels ||
        info.samplerate != static_cast<int>(header.value().sampleRate)) {
        return failure_text::playFault(PlayFault::Undecodable);
    }
    std::shared_ptr<WavDecoder> decoder(new WavDecoder(std::move(handle)));
    decoder->sampleRate_ = info.samplerate;
    decoder->sourceChannels_ = info.channels;
    decoder->outputChannels_ = std::min(info.channels, 2);
    return decoder;
}

std::size_t WavDecoder::read(float* out, std::size_t frames) {
    if (sourceChannels_ == outputChannels_) {
        const sf_count_t got = sf_readf_float(handle_->file, out, static_cast<sf_count_t>(frames));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    const auto source = static_cast<std::size_t>(sourceChannels_);
    handle_->scratch.resize(frames * source);
    const sf_count_t got =
        sf_readf_float(handle_->file, handle_->scratch.data(), static_cast<sf_count_t>(frames));
    if (got <= 0) {
        return 0;
    }
    for (std::size_t frame = 0; frame < static_cast<std::size_t>(got); ++frame) {
        out[frame * 2] = handle_->scratch[frame * source];
        out[frame * 2 + 1] = handle_->scratch[frame * source + 1];
    }
    return static_cast<std::size_t>(got);
}

}  // namespace zorvik
