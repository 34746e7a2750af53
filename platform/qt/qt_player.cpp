#include "platform/qt/qt_player.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>

#include "platform/failure_text.h"
#include "platform/sndfile/wav_decoder.h"

namespace zorvik {

namespace {

// The sink's buffer is kept short, and the silence after a melody outlasts it: Qt's PulseAudio
// sink drops what its buffer still holds when it closes.
constexpr int kBufferMilliseconds = 100;
constexpr int kPaddingMilliseconds = 250;

}  // namespace

DecodedStream::DecodedStream(std::shared_ptr<WavDecoder> decoder, int paddingFrames)
    : decoder_(std::move(decoder)), paddingLeft_(paddingFrames) {}

QAudioFormat DecodedStream::format() const {
    QAudioFormat format;
    format.setSampleRate(decoder_->sampleRate());
    format.setChannelCount(decoder_->channels());
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

qint64 DecodedStream::readData(char* data, qint64 maxSize) {
    const auto frameBytes = static_cast<qint64>(sizeof(float)) * decoder_->channels();
    const auto wanted = static_cast<std::size_t>(maxSize / frameBytes);
    if (finished_ || wanted == 0) {
        return 0;
    }
    auto* samples = reinterpret_cast<float*>(data);
    std::size_t frames = 0;
    if (!decoded_) {
        frames = decoder_->read(samples, wanted);
        decoded_ = frames == 0;
    }
    if (decoded_ && frames < wanted) {
        const auto silence = std::min(wanted - frames, static_cast<std::size_t>(paddingLeft_));
        std::memset(samples + frames * static_cast<std::size_t>(decoder_->channels()), 0,
                    silence * static_cast<std::size_t>(frameBytes));
        paddingLeft_ -= static_cast<int>(silence);
        frames += silence;
        finished_ = frames == 0;
    }
    return static_cast<qint64>(frames) * frameBytes;
}

// How often the sink's buffer is topped up, well inside its length.
constexpr int kFeedMilliseconds = 10;

QtPlayer::QtPlayer(const FileSystem& files) : files_(files) {
    QObject::connect(&feeder_, &QTimer::timeout, &feeder_, [this] { feed(); });
}

QtPlayer::~QtPlayer() {
    stop();
}

void QtPlayer::stop() {
    feeder_.stop();
    if (sink_) {
        sink_->stop();
    }
    output_ = nullptr;
    sink_.reset();
    stream_.reset();
}

void QtPlayer::feed() {
    if (!sink_ || output_ == nullptr) {
        return;
    }
    qint64 room = sink_->bytesFree();
    while (room > 0 && !stream_->atEnd()) {
        const QByteArray chunk = stream_->read(std::min<qint64>(room, 1 << 16));
        if (chunk.isEmpty()) {
            break;
        }
        output_->write(chunk);
        room -= chunk.size();
    }
    if (stream_->atEnd()) {
        // what is written plays out; the sink is released by the next melody or stop()
        feeder_.stop();
    }
}

bool QtPlayer::isPlaying() const {
    return sink_ && (sink_->state() == QAudio::ActiveState) && stream_ && !stream_->atEnd();
}

Status QtPlayer::sound() {
    stop();  // a new melody cuts the one playing short
    const auto host = files_.hostPath(fileName_);
    if (!host.ok()) {
        return failure_text::playFailed(host.failure().code, fileName_);
    }
    auto decoder = WavDecoder::openFile(host.value());
    if (!decoder.ok()) {
        return failure_text::playFailed(decoder.failure().code, fileName_,
                                        decoder.failure().message);
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return failure_text::playFailed(ErrorCode::NoDevice, fileName_);
    }
    const int rate = decoder.value()->sampleRate();
    auto stream =
        std::make_unique<DecodedStream>(decoder.value(), rate * kPaddingMilliseconds / 1000);
    const QAudioFormat format = stream->format();
    if (!device.isFormatSupported(format)) {
        return failure_text::playFailed(ErrorCode::Unsupported, fileName_,
                                        "звуковото устройство не поддържа формата на файла");
    }
    stream->open(QIODevice::ReadOnly);
    auto sink = std::make_unique<QAudioSink>(device, format);
    sink->setBufferSize(format.bytesForDuration(kBufferMilliseconds * 1000));
    QIODevice* output = sink->start();
    if (output == nullptr || sink->error() == QAudio::OpenError ||
        sink->error() == QAudio::FatalError || sink->state() == QAudio::StoppedState) {
        return failure_text::playFailed(ErrorCode::NoDevice, fileName_,
                                        "звуковото устройство не може да бъде отворено");
    }
    stream_ = std::move(stream);
    sink_ = std::move(sink);
    output_ = output;
    feed();
    feeder_.start(kFeedMilliseconds);
    return Status::success();
}

}  // namespace zorvik
