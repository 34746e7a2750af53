#include "sound/ffmpeg/ffmpeg_input.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <string>

#include "sound/sound_failures.h"

namespace zorvik::sound {

namespace {

// The containers a sound comes in, by FFmpeg's names for their demuxers: none that reads other
// files (playlists, concatenations, image sequences) and none that holds no sound.
constexpr const char* kSoundContainers =
    "mp3,mov,aac,flac,ogg,asf,wav,w64,aiff,matroska,caf,wv,ape,tta,mpc,mpc8,ac3,eac3,dts,amr,au";
// The window on the source through which FFmpeg reads it.
constexpr int kReadWindow = 64 * 1024;

// Every sound decoder this FFmpeg has, so that probing a file runs no other decoder over it.
const std::string& soundDecoders() {
    static const std::string names = [] {
        std::string list;
        void* at = nullptr;
        while (const AVCodec* codec = av_codec_iterate(&at)) {
            if (av_codec_is_decoder(codec) != 0 && codec->type == AVMEDIA_TYPE_AUDIO) {
                list += (list.empty() ? "" : ",") + std::string(codec->name);
            }
        }
        return list;
    }();
    return names;
}

int refuseOtherResources(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

}  // namespace

FfmpegInput::FfmpegInput(std::unique_ptr<SourceReader> reader) : reader_(std::move(reader)) {}

FfmpegInput::~FfmpegInput() {
    avformat_close_input(&container_);
    if (io_ != nullptr) {
        av_freep(&io_->buffer);  // FFmpeg may have put another in place of the one given
        avio_context_free(&io_);
    }
}

Status FfmpegInput::open(std::string_view name) {
    const Failure noMemory =
        failure_text::because(ErrorCode::Other, failure_text::Detail::OutOfMemory);
    auto* window = static_cast<unsigned char*>(av_malloc(kReadWindow));
    if (window == nullptr) {
        return noMemory;
    }
    io_ = avio_alloc_context(window, kReadWindow, 0, this, &read, nullptr, &seek);
    if (io_ == nullptr) {
        av_free(window);
        return noMemory;
    }
    container_ = avformat_alloc_context();
    if (container_ == nullptr) {
        return noMemory;
    }
    container_->pb = io_;
    container_->flags |= AVFMT_FLAG_CUSTOM_IO;
    container_->io_open = &refuseOtherResources;
    container_->format_whitelist = av_strdup(kSoundContainers);
    container_->codec_whitelist = av_strdup(soundDecoders().c_str());
    const std::string url(name);
    // on a failure FFmpeg frees the container itself
    if (avformat_open_input(&container_, url.c_str(), nullptr, nullptr) < 0) {
        return readFailure_.value_or(failure_text::soundFault(SoundFault::NotASound));
    }
    if (avformat_find_stream_info(container_, nullptr) < 0) {
        return readFailure_.value_or(failure_text::soundFault(SoundFault::Damaged));
    }
    return Status::success();
}

DecodingProgress FfmpegInput::progress() const {
    const std::uint64_t size = reader_->facts().size;
    return {std::min(position_, size), size};
}

int FfmpegInput::read(void* self, std::uint8_t* into, int size) {
    auto& input = *static_cast<FfmpegInput*>(self);
    const auto got = input.reader_->read(
        input.position_, {reinterpret_cast<char*>(into), static_cast<std::size_t>(size)});
    if (!got.ok()) {
        input.readFailure_ = got.failure();
        return AVERROR(EIO);
    }
    input.position_ += got.value();
    return got.value() == 0 ? AVERROR_EOF : static_cast<int>(got.value());
}

std::int64_t FfmpegInput::seek(void* self, std::int64_t offset, int whence) {
    auto& input = *static_cast<FfmpegInput*>(self);
    const auto size = static_cast<std::int64_t>(input.reader_->facts().size);
    if ((whence & AVSEEK_SIZE) != 0) {
        return size;
    }
    std::int64_t target = offset;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            break;
        case SEEK_CUR:
            target += static_cast<std::int64_t>(input.position_);
            break;
        case SEEK_END:
            target += size;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0) {
        return AVERROR(EINVAL);
    }
    input.position_ = static_cast<std::uint64_t>(target);
    return target;
}

}  // namespace zorvik::sound
