#pragma once

#include <algorithm>
#include <sstream>
#include <string>

#include "file_transaction/file_transaction.h"
#include "sound/sound_failures.h"

namespace zorvik::testing {

// A decoder that takes a file holding "sound CHANNELS RATE FRAMES [DECLARED]" for a sound of
// that shape and length (whose source says it lasts DECLARED frames, where given) and refuses
// anything else as no sound. Its samples count up
// from 0, so that a test can tell each one's place.
class FakeSoundDecoder final : public sound::SoundDecoder {
public:
    explicit FakeSoundDecoder(TransactionalFileSystem& files) : files_(files) {}

    Result<std::unique_ptr<sound::DecodedSound>> open(const std::string& hostPath) override {
        auto reader = files_.openSource(hostPath);
        if (!reader.ok()) {
            return reader.failure();
        }
        std::string bytes(static_cast<std::size_t>(reader.value()->facts().size), '\0');
        (void)reader.value()->read(0, bytes);
        std::istringstream words(bytes);
        std::string word;
        auto sound = std::make_unique<Sound>();
        words >> word >> sound->shape_.channels >> sound->shape_.sampleRate >> sound->frames_;
        if (word != "sound" || !words) {
            return failure_text::soundFault(SoundFault::NotASound);
        }
        sound->declared_ = sound->frames_;
        words >> sound->declared_;
        return std::unique_ptr<sound::DecodedSound>(std::move(sound));
    }

private:
    class Sound final : public sound::DecodedSound {
    public:
        sound::MelodyShape shape() const override { return shape_; }
        std::uint64_t frames() const override { return declared_; }
        Result<std::size_t> read(std::span<std::int16_t> into) override {
            const std::size_t samples = static_cast<std::size_t>(
                std::min<std::uint64_t>(into.size() / shape_.channels, frames_ - done_) *
                shape_.channels);
            for (std::size_t i = 0; i < samples; ++i) {
                into[i] = static_cast<std::int16_t>(done_ * shape_.channels + i);
            }
            done_ += samples / shape_.channels;
            return samples;
        }
        sound::DecodingProgress progress() const override { return {done_, frames_}; }

        sound::MelodyShape shape_;
        std::uint64_t frames_ = 0;
        std::uint64_t declared_ = 0;
        std::uint64_t done_ = 0;
    };

    TransactionalFileSystem& files_;
};

}  // namespace zorvik::testing
