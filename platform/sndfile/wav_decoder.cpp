#include "platform/sndfile/wav_decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zorvik {

struct WavDecoder::Handle {
    SNDFILE* file = nullptr;
    std::string memory;  // the bytes of a file opened from memory
    sf_count_t position = 0;
    SF_VIRTUAL_IO io{};
    std::vector<float> scratch;

    ~Handle() {
        if (file != nullptr) {
            sf_close(file);
        }
    }
};

namespace {

constexpr int kMaxChannels = 64;

WavDecoder::Handle& handleOf(void* user) {
    return *static_cast<WavDecoder::Handle*>(user);
}

sf_count_t memoryLength(void* user) {
    return static_cast<sf_count_t>(handleOf(user).memory.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto& handle = handleOf(user);
    const auto size = static_cast<sf_count_t>(handle.memory.size());
    sf_count_t target = offset;
    if (whence == SEEK_CUR) {
        target += handle.position;
    } else if (whence == SEEK_END) {
        target += size;
    }
    handle.position = std::clamp<sf_count_t>(target, 0, size);
    return handle.position;
}

sf_count_t memoryRead(void* out, sf_count_t count, void* user) {
    auto& handle = handleOf(user);
    const auto size = static_cast<sf_count_t>(handle.memory.size());
    const sf_count_t available = std::max<sf_count_t>(0, size - handle.position);
    const sf_count_t taken = std::clamp<sf_count_t>(count, 0, available);
    std::memcpy(out, handle.memory.data() + handle.position, static_cast<std::size_t>(taken));
    handle.position += taken;
    return taken;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memoryTell(void* user) {
    return handleOf(user).position;
}

bool isWaveContainer(int format) {
    const int container = format & SF_FORMAT_TYPEMASK;
    return container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX ||
           container == SF_FORMAT_RF64;
}

}  // namespace

WavDecoder::WavDecoder(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
WavDecoder::~WavDecoder() = default;

Result<std::shared_ptr<WavDecoder>> WavDecoder::openFile(const std::string& hostPath) {
    auto handle = std::make_unique<Handle>();
    SF_INFO info{};
    handle->file = sf_open(hostPath.c_str(), SFM_READ, &info);
    if (handle->file == nullptr) {
        if (sf_error(nullptr) == SF_ERR_SYSTEM) {
            return Failure{ErrorCode::Io, "файлът не може да бъде прочетен"};
        }
        return Failure{ErrorCode::Unsupported, "файлът е повреден или не е звук във формат WAV"};
    }
    return fromOpened(std::move(handle), info.samplerate, info.channels, info.format, info.frames);
}

Result<std::shared_ptr<WavDecoder>> WavDecoder::openMemory(std::string bytes) {
    auto handle = std::make_unique<Handle>();
    handle->memory = std::move(bytes);
    handle->io = {memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    handle->file = sf_open_virtual(&handle->io, SFM_READ, &info, handle.get());
    if (handle->file == nullptr) {
        return Failure{ErrorCode::Unsupported, "файлът е повреден или не е звук във формат WAV"};
    }
    return fromOpened(std::move(handle), info.samplerate, info.channels, info.format, info.frames);
}

Result<std::shared_ptr<WavDecoder>> WavDecoder::fromOpened(std::unique_ptr<Handle> handle,
                                                           int sampleRate, int channels, int format,
                                                           long long frames) {
    if (!isWaveContainer(format)) {
        return Failure{ErrorCode::Unsupported, "файлът не е звук във формат WAV"};
    }
    if (sampleRate <= 0 || channels <= 0 || channels > kMaxChannels) {
        return Failure{ErrorCode::Corrupt, "файлът е повреден"};
    }
    std::shared_ptr<WavDecoder> decoder(new WavDecoder(std::move(handle)));
    decoder->sampleRate_ = sampleRate;
    decoder->sourceChannels_ = channels;
    decoder->outputChannels_ = std::min(channels, 2);
    decoder->frames_ = frames;
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
