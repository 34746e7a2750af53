#pragma once

#include <QAudioFormat>
#include <QIODevice>
#include <QTimer>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/player.h"

class QAudioSink;

namespace zorvik {

class WavDecoder;

// Decoded samples for the audio sink to pull, followed by a short silence: Qt's PulseAudio sink
// drops what its buffer still holds when it closes, so the silence is what gets cut, never the
// end of the melody.
class DecodedStream final : public QIODevice {
public:
    DecodedStream(std::shared_ptr<WavDecoder> decoder, int paddingFrames);

    QAudioFormat format() const;
    bool isSequential() const override { return true; }
    bool atEnd() const override { return finished_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::shared_ptr<WavDecoder> decoder_;
    int paddingLeft_;
    bool decoded_ = false;
    bool finished_ = false;
};

// Plays through Qt Multimedia's audio output from a libsndfile decoder, without blocking: the
// first buffer goes to the sink at once, the rest a few milliseconds at a time from a timer on
// the window's thread (the sink's own pulling would wait a period before the first sound).
class QtPlayer final : public Player {
public:
    explicit QtPlayer(const FileSystem& files);
    ~QtPlayer() override;
    QtPlayer(const QtPlayer&) = delete;
    QtPlayer& operator=(const QtPlayer&) = delete;

    void setFileName(std::string_view path) override { fileName_ = path; }
    Status sound() override;
    void stop() override;

    bool isPlaying() const;

private:
    void feed();

    const FileSystem& files_;
    std::string fileName_;
    std::unique_ptr<QAudioSink> sink_;
    std::unique_ptr<DecodedStream> stream_;
    QIODevice* output_ = nullptr;  // owned by the sink
    QTimer feeder_;
};

}  // namespace zorvik
