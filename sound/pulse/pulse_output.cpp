// The sound module: WAV files decoded by libsndfile, played through libpulse. Built as a module of
// its own so that the program loads these libraries only when sound is first wanted.
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "sound/pulse/sound_output.h"
#include "sound/sndfile/wav_decoder.h"
#include "sound/sound_failures.h"
#include "texts/texts.h"

namespace zorvik {

namespace {

// Asked of the server for the whole path to the speaker: short, so that a click is heard at once.
constexpr pa_usec_t kLatency = 40 * PA_USEC_PER_MSEC;
// Silence after the melody: a server that takes back what it has not yet played when a stream
// closes takes this, never the end of the melody.
constexpr pa_usec_t kTail = 200 * PA_USEC_PER_MSEC;
// How long a click waits for the server to answer before the device counts as missing.
constexpr pa_usec_t kServerWait = 2 * PA_USEC_PER_SEC;

// Holds the mainloop's lock for a scope; the mainloop's own thread runs the callbacks with it.
class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
        pa_threaded_mainloop_lock(loop_);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

// One connection to the sound server, made at the first melody and kept (it holds no device);
// one stream a melody, closed as soon as the melody and its tail have played.
class PulseOutput final : public SoundOutput {
public:
    PulseOutput() : loop_(pa_threaded_mainloop_new()) {
        if (loop_ != nullptr && pa_threaded_mainloop_start(loop_) < 0) {
            pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
        }
    }

    ~PulseOutput() override {
        if (loop_ == nullptr) {
            return;
        }
        {
            const LoopLock lock(loop_);
            closeStream();
            dropContext();
        }
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    Status play(const std::string& hostPath, const std::string& shown) override {
        if (loop_ == nullptr) {
            return failure_text::playFailed(ErrorCode::NoDevice, shown);
        }
        const LoopLock lock(loop_);
        closeStream();  // a new melody cuts the one playing short
        auto decoder = WavDecoder::openFile(hostPath);
        if (!decoder.ok()) {
            return failure_text::playFailed(decoder.failure().code, shown,
                                            decoder.failure().message);
        }
        const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE,
                                          static_cast<std::uint32_t>(decoder.value()->sampleRate()),
                                          static_cast<std::uint8_t>(decoder.value()->channels())};
        if (pa_sample_spec_valid(&sampleFormat) == 0) {
            return failure_text::playFailed(PlayFault::DeviceCannotTakeFormat, shown);
        }
        if (!connectContext()) {
            return failure_text::playFailed(ErrorCode::NoDevice, shown);
        }
        decoder_ = decoder.value();
        frameBytes_ = pa_frame_size(&sampleFormat);
        tailLeft_ = pa_usec_to_bytes(kTail, &sampleFormat);
        decodedAll_ = false;
        draining_ = false;
        if (!openStream(sampleFormat)) {
            closeStream();
            return failure_text::playFailed(PlayFault::DeviceRefused, shown);
        }
        return Status::success();
    }

    Status check(const std::string& hostPath) override {
        return WavDecoder::openFile(hostPath).status();
    }

    void stop() override {
        if (loop_ != nullptr) {
            const LoopLock lock(loop_);
            closeStream();
        }
    }

    bool isPlaying() override {
        if (loop_ == nullptr) {
            return false;
        }
        const LoopLock lock(loop_);
        return stream_ != nullptr && PA_STREAM_IS_GOOD(pa_stream_get_state(stream_));
    }

private:
    // With the lock held: waits for `done`, or for the server to have been silent too long.
    bool waitUntil(const std::function<bool()>& done) {
        timedOut_ = false;
        pa_time_event* deadline =
            pa_context_rttime_new(context_, pa_rtclock_now() + kServerWait, &onDeadline, this);
        while (!done() && !timedOut_) {
            pa_threaded_mainloop_wait(loop_);
        }
        if (deadline != nullptr) {
            pa_threaded_mainloop_get_api(loop_)->time_free(deadline);
        }
        return done();
    }

    bool connectContext() {
        if (context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY) {
            return true;
        }
        dropContext();  // a connection the server dropped, or none yet
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Zorvik BG");
        if (context_ == nullptr) {
            return false;
        }
        pa_context_set_state_callback(context_, &onContextState, this);
        // no sound server started on the user's behalf: none running means no device
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            dropContext();
            return false;
        }
        waitUntil([this] {
            const pa_context_state_t state = pa_context_get_state(context_);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        });
        if (pa_context_get_state(context_) != PA_CONTEXT_READY) {
            dropContext();
            return false;
        }
        return true;
    }

    void dropContext() {
        if (context_ != nullptr) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }

    bool openStream(const pa_sample_spec& sampleFormat) {
        stream_ = pa_stream_new(context_, texts::kSoundStreamName.data(), &sampleFormat, nullptr);
        if (stream_ == nullptr) {
            return false;
        }
        pa_stream_set_state_callback(stream_, &onStreamState, this);
        pa_stream_set_write_callback(stream_, &onWrite, this);
        pa_buffer_attr buffer{};
        buffer.maxlength = static_cast<std::uint32_t>(-1);
        buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kLatency, &sampleFormat));
        buffer.prebuf = static_cast<std::uint32_t>(-1);
        buffer.minreq = static_cast<std::uint32_t>(-1);
        buffer.fragsize = static_cast<std::uint32_t>(-1);
        if (pa_stream_connect_playback(stream_, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0) {
            return false;
        }
        pa_stream* stream = stream_;
        waitUntil([stream] {
            const pa_stream_state_t state = pa_stream_get_state(stream);
            return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
        });
        return pa_stream_get_state(stream_) == PA_STREAM_READY;
    }

    void closeStream() {
        if (stream_ != nullptr) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            stream_ = nullptr;
        }
        decoder_.reset();
    }

    // On the mainloop's thread: as many bytes as the server asks for, the melody and then its
    // tail of silence; when both are written, the stream drains and closes.
    void feed(std::size_t wanted) {
        while (stream_ != nullptr && !draining_ && wanted >= frameBytes_) {
            void* buffer = nullptr;
            std::size_t size = wanted;
            if (pa_stream_begin_write(stream_, &buffer, &size) < 0 || buffer == nullptr) {
                return;
            }
            size -= size % frameBytes_;
            std::size_t filled = 0;
            if (!decodedAll_) {
                filled =
                    decoder_->read(static_cast<float*>(buffer), size / frameBytes_) * frameBytes_;
                decodedAll_ = filled == 0;
            }
            if (decodedAll_ && filled < size && tailLeft_ > 0) {
                const std::size_t silence = std::min(size - filled, tailLeft_);
                std::memset(static_cast<char*>(buffer) + filled, 0, silence);
                filled += silence;
                tailLeft_ -= silence;
            }
            if (filled == 0) {
                pa_stream_cancel_write(stream_);
                break;
            }
            pa_stream_write(stream_, buffer, filled, nullptr, 0, PA_SEEK_RELATIVE);
            wanted -= std::min(wanted, filled);
        }
        if (stream_ != nullptr && decodedAll_ && tailLeft_ == 0 && !draining_) {
            draining_ = true;
            if (pa_operation* drain = pa_stream_drain(stream_, &onDrained, this)) {
                pa_operation_unref(drain);
            }
        }
    }

    static PulseOutput& of(void* self) { return *static_cast<PulseOutput*>(self); }

    static void onContextState(pa_context*, void* self) {
        pa_threaded_mainloop_signal(of(self).loop_, 0);
    }
    static void onStreamState(pa_stream*, void* self) {
        pa_threaded_mainloop_signal(of(self).loop_, 0);
    }
    static void onDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
        of(self).timedOut_ = true;
        pa_threaded_mainloop_signal(of(self).loop_, 0);
    }
    static void onWrite(pa_stream* stream, std::size_t bytes, void* self) {
        if (stream == of(self).stream_) {
            of(self).feed(bytes);
        }
    }
    // Everything, tail included, has been played: the device is let go at once.
    static void onDrained(pa_stream* stream, int, void* self) {
        if (stream == of(self).stream_) {
            of(self).closeStream();
        }
    }

    pa_threaded_mainloop* loop_;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::shared_ptr<WavDecoder> decoder_;
    std::size_t frameBytes_ = 0;
    std::size_t tailLeft_ = 0;  // bytes of silence still to write after the melody
    bool decodedAll_ = false;
    bool draining_ = false;
    bool timedOut_ = false;
};

}  // namespace

}  // namespace zorvik

extern "C" __attribute__((visibility("default"))) zorvik::SoundOutput*
zorvik_create_sound_output() {
    return new zorvik::PulseOutput();
}
