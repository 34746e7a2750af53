#include "sound/melody_writer.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "sound/sound_failures.h"

namespace zorvik::sound {

namespace {

constexpr std::uint64_t kHeaderSize = 44;
constexpr std::uint64_t kBytesPerSample = 2;
// The RIFF size counts everything after its own field: the rest of the header and the sound.
constexpr std::uint64_t kMostSoundBytes = 0xFFFFFFFFu - (kHeaderSize - 8);

void putLe(char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// The canonical header of 16-bit PCM: RIFF, a 16-byte format, and the sound's chunk.
std::array<char, kHeaderSize> headerOf(MelodyShape shape, std::uint32_t soundBytes) {
    const std::uint32_t blockAlign = shape.channels * kBytesPerSample;
    std::array<char, kHeaderSize> header{};
    std::memcpy(&header[0], "RIFF", 4);
    putLe(&header[4], soundBytes + static_cast<std::uint32_t>(kHeaderSize - 8), 4);
    std::memcpy(&header[8], "WAVEfmt ", 8);
    putLe(&header[16], 16, 4);  // the format's size
    putLe(&header[20], 1, 2);   // PCM
    putLe(&header[22], shape.channels, 2);
    putLe(&header[24], shape.sampleRate, 4);
    putLe(&header[28], shape.sampleRate * blockAlign, 4);
    putLe(&header[32], blockAlign, 2);
    putLe(&header[34], kBytesPerSample * 8, 2);
    std::memcpy(&header[36], "data", 4);
    putLe(&header[40], soundBytes, 4);
    return header;
}

}  // namespace

bool fitsAWaveFile(std::uint64_t frames, MelodyShape shape) {
    return frames <= kMostSoundBytes / (shape.channels * kBytesPerSample);
}

Status MelodyWriter::make(ContentOutput& out, CopyProgress* progress) {
    const MelodyShape shape = sound_.shape();
    // a header that says no sound stands until the length is known, so that what is there at
    // every moment is a WAV file
    if (Status started = out.write(0, headerOf(shape, 0)); !started.ok()) {
        return started;
    }
    std::vector<std::int16_t> samples(kLargestBlock / kBytesPerSample);
    std::vector<char> bytes(std::endian::native == std::endian::little ? 0 : kLargestBlock);
    std::uint64_t soundBytes = 0;
    for (;;) {
        const auto got = sound_.read(samples);
        if (!got.ok()) {
            return got.status();
        }
        if (got.value() == 0) {
            break;
        }
        const std::uint64_t size = got.value() * kBytesPerSample;
        if (size > kMostSoundBytes - soundBytes) {
            return failure_text::soundFault(SoundFault::TooLong);
        }
        std::span<const char> block(reinterpret_cast<const char*>(samples.data()), size);
        if constexpr (std::endian::native != std::endian::little) {
            for (std::size_t i = 0; i < got.value(); ++i) {
                putLe(&bytes[i * 2], static_cast<std::uint16_t>(samples[i]), 2);
            }
            block = std::span<const char>(bytes.data(), size);
        }
        if (Status written = out.write(kHeaderSize + soundBytes, block); !written.ok()) {
            return written;
        }
        soundBytes += size;
        const DecodingProgress done = sound_.progress();
        if (progress != nullptr && !progress->copied(done.done, done.total)) {
            return Failure{ErrorCode::Cancelled, {}};
        }
    }
    return out.write(0, headerOf(shape, static_cast<std::uint32_t>(soundBytes)));
}

}  // namespace zorvik::sound
