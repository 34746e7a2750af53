#include "sound/ffmpeg/ffmpeg_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/posix/posix_file_steps.h"
#include "sound/ffmpeg/ffmpeg_input.h"
#include "sound/sound_failures.h"

namespace zorvik::sound {

namespace {

// Packets in a row that will not decode before a damaged sound counts as ended there.
constexpr int kMostBadPacketsInARow = 64;

// The rates a sound is taken at: a rate beyond them is a damaged header, and resampling from it
// would cost the resampler gigabytes.
constexpr int kLowestSourceRate = 1000;
constexpr int kHighestSourceRate = 768000;

bool plausibleRate(int rate) {
    return rate >= kLowestSourceRate && rate <= kHighestSourceRate;
}

// The melody's rate for a source's: as it is within the range, else the nearest end of it
// (44.1 kHz for the multiples of 44.1 kHz above it).
int melodyRate(int sourceRate) {
    const int lowest = static_cast<int>(kLowestMelodyRate);
    const int highest = static_cast<int>(kHighestMelodyRate);
    if (sourceRate < lowest) {
        return lowest;
    }
    if (sourceRate <= highest) {
        return sourceRate;
    }
    return sourceRate % 44100 == 0 ? 44100 : highest;
}

Failure fault(SoundFault why) {
    return failure_text::soundFault(why);
}

class FfmpegSound final : public DecodedSound {
public:
    explicit FfmpegSound(std::unique_ptr<SourceReader> reader) : input_(std::move(reader)) {}

    ~FfmpegSound() override {
        swr_free(&resampler_);
        av_channel_layout_uninit(&resampledLayout_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&decoder_);
    }

    FfmpegSound(const FfmpegSound&) = delete;
    FfmpegSound& operator=(const FfmpegSound&) = delete;

    // Everything up to the first samples, so that a file that will not decode fails here.
    Status open(std::string_view name) {
        if (Status opened = input_.open(name); !opened.ok()) {
            return opened;
        }
        container_ = input_.container();
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        if (packet_ == nullptr || frame_ == nullptr) {
            return failure_text::because(ErrorCode::Other, failure_text::Detail::OutOfMemory);
        }
        const AVCodec* codec = nullptr;
        stream_ = av_find_best_stream(container_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (stream_ == AVERROR_DECODER_NOT_FOUND) {
            return fault(SoundFault::NoDecoder);
        }
        if (stream_ < 0) {
            return fault(SoundFault::NoSound);
        }
        for (unsigned i = 0; i < container_->nb_streams; ++i) {
            if (static_cast<int>(i) != stream_) {
                container_->streams[i]->discard = AVDISCARD_ALL;
            }
        }
        const AVStream& sound = *container_->streams[stream_];
        decoder_ = avcodec_alloc_context3(codec);
        if (decoder_ == nullptr || avcodec_parameters_to_context(decoder_, sound.codecpar) < 0) {
            return fault(SoundFault::Damaged);
        }
        decoder_->pkt_timebase = sound.time_base;
        if (avcodec_open2(decoder_, codec, nullptr) < 0 || !plausibleRate(decoder_->sample_rate) ||
            decoder_->ch_layout.nb_channels <= 0) {
            return readFailureOr(SoundFault::Damaged);
        }
        shape_.channels = static_cast<std::uint16_t>(
            std::min<int>(decoder_->ch_layout.nb_channels, kMostMelodyChannels));
        shape_.sampleRate = static_cast<std::uint32_t>(melodyRate(decoder_->sample_rate));
        frames_ = declaredFrames(sound);
        if (Status first = decodeMore(); !first.ok()) {
            return first;
        }
        if (pending_.empty()) {
            return readFailureOr(badPackets_ > 0 ? SoundFault::Damaged : SoundFault::NoSound);
        }
        return Status::success();
    }

    MelodyShape shape() const override { return shape_; }
    std::uint64_t frames() const override { return frames_; }
    DecodingProgress progress() const override { return input_.progress(); }

    Result<std::size_t> read(std::span<std::int16_t> into) override {
        const std::size_t wanted = into.size() - into.size() % shape_.channels;
        std::size_t given = 0;
        while (given < wanted) {
            if (taken_ == pending_.size()) {
                if (Status more = decodeMore(); !more.ok()) {
                    return more.failure();
                }
                if (pending_.empty()) {
                    break;
                }
            }
            const std::size_t count = std::min(wanted - given, pending_.size() - taken_);
            std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(taken_), count,
                        into.begin() + static_cast<std::ptrdiff_t>(given));
            taken_ += count;
            given += count;
        }
        return given;
    }

private:
    Failure readFailureOr(SoundFault why) const {
        return input_.readFailure().value_or(fault(why));
    }

    std::uint64_t declaredFrames(const AVStream& sound) const {
        double seconds = 0;
        if (sound.duration != AV_NOPTS_VALUE && sound.duration > 0) {
            seconds = static_cast<double>(sound.duration) * av_q2d(sound.time_base);
        } else if (container_->duration != AV_NOPTS_VALUE && container_->duration > 0) {
            seconds = static_cast<double>(container_->duration) / AV_TIME_BASE;
        }
        return static_cast<std::uint64_t>(seconds * shape_.sampleRate);
    }

    // The next samples into pending_ (empty at the end): a frame decoded, or what the
    // resampler still held once the decoder is drained.
    Status decodeMore() {
        pending_.clear();
        taken_ = 0;
        while (!ended_) {
            const int received = avcodec_receive_frame(decoder_, frame_);
            if (received == 0) {
                const Status converted = convert(frame_);
                av_frame_unref(frame_);
                if (!converted.ok() || !pending_.empty()) {
                    return converted;
                }
            } else if (received == AVERROR(EAGAIN)) {
                if (Status fed = feed(); !fed.ok()) {
                    return fed;
                }
            } else if (received == AVERROR_EOF) {
                ended_ = true;
                resample(nullptr);  // the resampler's last samples
                return Status::success();
            } else if (++badPackets_ >= kMostBadPacketsInARow) {
                ended_ = true;
            }
        }
        return Status::success();
    }

    // One packet of the sound to the decoder, or the end of the source.
    Status feed() {
        for (;;) {
            const int read = av_read_frame(container_, packet_);
            if (read < 0) {
                if (input_.readFailure()) {
                    return *input_.readFailure();
                }
                // the end, or damage the container cannot get past: the sound ends there
                avcodec_send_packet(decoder_, nullptr);
                return Status::success();
            }
            const bool ours = packet_->stream_index == stream_;
            const int sent = ours ? avcodec_send_packet(decoder_, packet_) : 0;
            av_packet_unref(packet_);
            if (!ours) {
                continue;
            }
            if (sent >= 0) {
                badPackets_ = 0;
                return Status::success();
            }
            if (++badPackets_ >= kMostBadPacketsInARow) {
                avcodec_send_packet(decoder_, nullptr);
                return Status::success();
            }
        }
    }

    // A frame through the resampler onto pending_; nullptr drains it.
    Status convert(const AVFrame* frame) {
        if (frame != nullptr && !resamplerFits(*frame)) {
            // what the old one still holds comes before the new format's samples
            resample(nullptr);
            if (Status made = makeResampler(*frame); !made.ok()) {
                return made;
            }
        }
        resample(frame);
        return Status::success();
    }

    void resample(const AVFrame* frame) {
        if (resampler_ == nullptr) {
            return;
        }
        const int in = frame != nullptr ? frame->nb_samples : 0;
        const int room = swr_get_out_samples(resampler_, in);
        if (room <= 0) {
            return;
        }
        const std::size_t before = pending_.size();
        pending_.resize(before + static_cast<std::size_t>(room) * shape_.channels);
        auto* out = reinterpret_cast<std::uint8_t*>(pending_.data() + before);
        const int made = swr_convert(
            resampler_, &out, room,
            frame != nullptr ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr,
            in);
        pending_.resize(before + static_cast<std::size_t>(std::max(made, 0)) * shape_.channels);
    }

    bool resamplerFits(const AVFrame& frame) const {
        return resampler_ != nullptr && frame.format == resampledFormat_ &&
               frame.sample_rate == resampledRate_ &&
               av_channel_layout_compare(&frame.ch_layout, &resampledLayout_) == 0;
    }

    // A resampler for the frames' own format (which may change midway), into the melody's.
    Status makeResampler(const AVFrame& frame) {
        swr_free(&resampler_);
        if (!plausibleRate(frame.sample_rate)) {
            return fault(SoundFault::Damaged);
        }
        AVChannelLayout in{};
        if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels <= 0) {
            av_channel_layout_default(&in, std::max(frame.ch_layout.nb_channels, 1));
        } else if (av_channel_layout_copy(&in, &frame.ch_layout) < 0) {
            return fault(SoundFault::Damaged);
        }
        AVChannelLayout out{};
        av_channel_layout_default(&out, shape_.channels);
        const int made = swr_alloc_set_opts2(
            &resampler_, &out, AV_SAMPLE_FMT_S16, static_cast<int>(shape_.sampleRate), &in,
            static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&resampledLayout_);
        resampledLayout_ = in;
        resampledFormat_ = frame.format;
        resampledRate_ = frame.sample_rate;
        av_channel_layout_uninit(&out);
        if (made < 0 || swr_init(resampler_) < 0) {
            swr_free(&resampler_);
            return fault(SoundFault::Damaged);
        }
        return Status::success();
    }

    FfmpegInput input_;
    AVFormatContext* container_ = nullptr;  // the input's
    AVCodecContext* decoder_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVChannelLayout resampledLayout_{};
    int resampledFormat_ = -1;
    int resampledRate_ = 0;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    MelodyShape shape_;
    std::uint64_t frames_ = 0;
    std::vector<std::int16_t> pending_;
    std::size_t taken_ = 0;
    int badPackets_ = 0;
    bool ended_ = false;
};

}  // namespace

FfmpegDecoder::FfmpegDecoder() {
    // what FFmpeg would print about a damaged file goes nowhere: the box says it
    av_log_set_level(AV_LOG_QUIET);
}

Result<std::unique_ptr<DecodedSound>> FfmpegDecoder::open(const std::string& hostPath) {
    auto reader = posix::openSourceReader(hostPath);
    if (!reader.ok()) {
        return reader.failure();
    }
    const auto slash = hostPath.find_last_of('/');
    return openFrom(std::move(reader).value(),
                    slash == std::string::npos ? hostPath : hostPath.substr(slash + 1));
}

Result<std::unique_ptr<DecodedSound>> FfmpegDecoder::openFrom(std::unique_ptr<SourceReader> source,
                                                              std::string_view name) {
    auto sound = std::make_unique<FfmpegSound>(std::move(source));
    if (Status opened = sound->open(name); !opened.ok()) {
        return opened.failure();
    }
    return std::unique_ptr<DecodedSound>(std::move(sound));
}

}  // namespace zorvik::sound
