#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/status.h"

namespace zorvik {

// Decodes the WAV family Windows plays (PCM of 8 to 32 bits, float, WAVE_FORMAT_EXTENSIBLE,
// µ-law, A-law, the ADPCM variants) into interleaved float samples, at most two channels. Only
// headers that pass the check both platforms share reach libsndfile, and the sound is read from
// the file as it plays, never whole.
class WavDecoder {
public:
    // Opens without waiting: a pipe or a device under a melody's name is refused, never read.
    // The failure's message is a reason only ("файлът е повреден"); the player says which file.
    static Result<std::shared_ptr<WavDecoder>> openFile(const std::string& hostPath);
    static Result<std::shared_ptr<WavDecoder>> openMemory(std::string bytes);
    ~WavDecoder();
    WavDecoder(const WavDecoder&) = delete;
    WavDecoder& operator=(const WavDecoder&) = delete;

    int sampleRate() const { return sampleRate_; }
    // 1 or 2: more channels than two are played as their first two.
    int channels() const { return outputChannels_; }

    // Up to `frames` frames into `out` (frames * channels() floats); 0 at the end. A file
    // damaged past its header simply ends where the damage starts.
    std::size_t read(float* out, std::size_t frames);

    struct Handle;  // libsndfile's state and the file's bytes, kept out of this header

private:
    explicit WavDecoder(std::unique_ptr<Handle> handle);
    static Result<std::shared_ptr<WavDecoder>> open(std::unique_ptr<Handle> handle);

    std::unique_ptr<Handle> handle_;
    int sampleRate_ = 0;
    int sourceChannels_ = 0;
    int outputChannels_ = 0;
};

}  // namespace zorvik
