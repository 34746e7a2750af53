// The conversion of a sound into a melody on arbitrary bytes: FFmpeg's opening and decoding as
// the program drives them, and the melody writer after it. What comes out must be a WAV file the
// program's own header check takes, in a melody's shape, holding exactly what was written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "sound/ffmpeg/ffmpeg_decoder.h"
#include "sound/melody_writer.h"
#include "sound/wave_header.h"
#include "tests/fuzz/finding.h"

namespace {

using namespace zorvik;
using fuzz::require;

// The input as the file a conversion reads.
class BytesReader final : public SourceReader {
public:
    BytesReader(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {
        facts_.size = size;
    }
    const ContentFacts& facts() const override { return facts_; }
    Result<Extent> extentAt(std::uint64_t offset) override {
        return Extent{offset, facts_.size - offset, false};
    }
    Result<std::size_t> read(std::uint64_t offset, std::span<char> into) override {
        const auto at = static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
        return bytes_.substr(at).copy(into.data(), into.size());
    }

private:
    std::string_view bytes_;  // the input's, which outlives the decoding
    ContentFacts facts_;
};

// The temporary file, in memory, up to a size past which a small input has grown enough.
class Melody final : public ContentOutput {
public:
    static constexpr std::size_t kLargest = 16 << 20;
    Status write(std::uint64_t offset, std::span<const char> block) override {
        require(block.size() <= kLargestBlock);
        if (offset + block.size() > kLargest) {
            return Failure{ErrorCode::TooLarge, "enough"};
        }
        bytes.resize(std::max<std::size_t>(bytes.size(), offset + block.size()));
        std::memcpy(bytes.data() + offset, block.data(), block.size());
        return Status::success();
    }
    std::string bytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sound::FfmpegDecoder quietens;  // FFmpeg's own messages, as the program silences them
    auto sound = sound::FfmpegDecoder::openFrom(std::make_unique<BytesReader>(data, size), "");
    if (!sound.ok()) {
        require(!sound.failure().message.empty());
        return 0;
    }
    const sound::MelodyShape shape = sound.value()->shape();
    require(shape.channels >= 1 && shape.channels <= sound::kMostMelodyChannels);
    require(shape.sampleRate >= sound::kLowestMelodyRate &&
            shape.sampleRate <= sound::kHighestMelodyRate);
    Melody melody;
    sound::MelodyWriter writer(*sound.value());
    if (!writer.make(melody, nullptr).ok()) {
        return 0;
    }
    const auto header = readWaveHeader(
        melody.bytes.size(), [&](std::uint64_t offset, std::span<unsigned char> into) {
            const auto at = static_cast<std::size_t>(offset);
            const std::size_t taken = std::min(into.size(), melody.bytes.size() - at);
            std::memcpy(into.data(), melody.bytes.data() + at, taken);
            return std::optional<std::size_t>(taken);
        });
    require(header.ok());
    require(header.value().tag == wave_tag::kPcm && header.value().channels == shape.channels &&
            header.value().sampleRate == shape.sampleRate);
    require(header.value().dataOffset + header.value().dataSize == melody.bytes.size());
    return 0;
}
