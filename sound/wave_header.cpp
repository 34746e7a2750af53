#include "sound/wave_header.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "sound/sound_failures.h"

namespace zorvik {

namespace {

// A real file has a handful of chunks before its sound; thousands of empty ones would only
// keep the window reading.
constexpr std::uint64_t kMostChunksBeforeTheSound = 1024;
// PCMWAVEFORMAT, WAVEFORMATEX without its extra bytes, and the extra bytes some tags need
constexpr std::size_t kPcmFormatSize = 16;
constexpr std::size_t kFormatExSize = 18;
constexpr std::size_t kExtensibleExtra = 22;
constexpr std::size_t kMsAdpcmExtra = 32;  // samples a block, coefficient count, 7 pairs
constexpr std::size_t kMsAdpcmPairs = 7;
constexpr std::size_t kSamplesPerBlockExtra = 2;
// An RF64 file's sizes: the RIFF size, the data size and the sample count, 64 bits each, then
// the length of its table of other chunks' sizes, which a ds64 always has (libsndfile refuses
// one without it)
constexpr std::size_t kDs64Size = 28;
constexpr std::uint32_t kSizeInDs64 = 0xFFFFFFFF;

std::uint16_t le16(const unsigned char* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t le32(const unsigned char* at) {
    return static_cast<std::uint32_t>(le16(at)) | static_cast<std::uint32_t>(le16(at + 2)) << 16;
}
std::uint64_t le64(const unsigned char* at) {
    return static_cast<std::uint64_t>(le32(at)) | static_cast<std::uint64_t>(le32(at + 4)) << 32;
}
bool isId(const unsigned char* at, std::string_view id) {
    return std::equal(id.begin(), id.end(), at,
                      [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

Failure refused(PlayFault fault) {
    return failure_text::playFault(fault);
}

// Reads exactly what is asked, telling a file too short from a failed read.
class HeaderReader {
public:
    HeaderReader(std::uint64_t fileSize, const ReadAt& readAt)
        : fileSize_(fileSize), readAt_(readAt) {}

    std::uint64_t fileSize() const { return fileSize_; }

    // false with `failure` set when the bytes are not all there
    bool read(std::uint64_t offset, std::span<unsigned char> into, PlayFault whenShort) {
        std::size_t done = 0;
        while (done < into.size()) {
            const auto got = readAt_(offset + done, into.subspan(done));
            if (!got) {
                failure = {ErrorCode::Io, std::string(failure_text::reason(ErrorCode::Io))};
                return false;
            }
            if (*got == 0) {
                failure = refused(whenShort);
                return false;
            }
            done += *got;
        }
        return true;
    }

    Failure failure;

private:
    std::uint64_t fileSize_;
    const ReadAt& readAt_;
};

// The fields that decide how a block is laid out, for the tags both players decode themselves
// or hand to Windows' own codecs; and from them, how many bytes a second of sound takes.
std::optional<std::uint64_t> bytesPerSecond(const WaveHeader& header, std::uint32_t bits) {
    const std::uint32_t channels = header.channels;
    const std::uint32_t blockAlign = header.blockAlign;
    const std::uint64_t wholeBlocks = std::uint64_t{header.sampleRate} * blockAlign;
    const std::size_t extra = header.format.size() - kFormatExSize;
    const std::uint32_t samplesPerBlock =
        extra >= kSamplesPerBlockExtra ? le16(header.format.data() + kFormatExSize) : 0;
    bool agree = false;
    std::uint32_t perBlock = 1;  // samples
    switch (header.tag) {
        case wave_tag::kPcm:
            agree = bits >= 1 && bits <= 32 && blockAlign == channels * ((bits + 7) / 8);
            break;
        case wave_tag::kFloat:
            agree = (bits == 32 || bits == 64) && blockAlign == channels * (bits / 8);
            break;
        case wave_tag::kALaw:
        case wave_tag::kMuLaw:
            agree = bits == 8 && blockAlign == channels;
            break;
        case wave_tag::kImaAdpcm:
            // a block: four bytes of header a channel, then two samples a byte
            agree = bits == 4 && blockAlign > 4 * channels &&
                    samplesPerBlock == (blockAlign - 4 * channels) * 2 / channels + 1;
            perBlock = samplesPerBlock;
            break;
        case wave_tag::kMsAdpcm:
            // a block: seven bytes of header a channel (two samples among them), then two a byte
            agree = bits == 4 && blockAlign >= 7 * channels &&
                    samplesPerBlock == (blockAlign - 7 * channels) * 2 / channels + 2;
            perBlock = samplesPerBlock;
            break;
        case wave_tag::kGsm610:
            agree = channels == 1 && blockAlign == 65 && samplesPerBlock == 320;
            perBlock = samplesPerBlock;
            break;
        default:
            // a codec of its own, which may size its buffers from the file's figure
            agree = header.bytesPerSecond >= 1 && header.bytesPerSecond <= wholeBlocks;
            return agree ? std::optional(header.bytesPerSecond) : std::nullopt;
    }
    return agree ? std::optional(std::max<std::uint64_t>(wholeBlocks / perBlock, 1)) : std::nullopt;
}

// The extra bytes a tag cannot do without.
std::size_t extraNeeded(std::uint16_t tag) {
    switch (tag) {
        case wave_tag::kExtensible:
            return kExtensibleExtra;
        case wave_tag::kMsAdpcm:
            return kMsAdpcmExtra;
        case wave_tag::kImaAdpcm:
        case wave_tag::kGsm610:
            return kSamplesPerBlockExtra;
        default:
            return 0;
    }
}

// The format chunk's body, at most a WAVEFORMATEX with all its extra bytes.
Status readFormat(HeaderReader& reader, std::uint64_t offset, std::uint64_t size,
                  WaveHeader& header) {
    if (size < kPcmFormatSize || size > reader.fileSize() - offset) {
        return refused(PlayFault::DamagedFormat);
    }
    auto& format = header.format;
    format.assign(kFormatExSize, 0);
    const std::size_t head = size >= kFormatExSize ? kFormatExSize : kPcmFormatSize;
    if (!reader.read(offset, std::span(format).first(head), PlayFault::DamagedFormat)) {
        return reader.failure;
    }
    const std::size_t extra = size >= kFormatExSize ? le16(format.data() + 16) : 0;
    if (extra > 0 && kFormatExSize + extra > size) {
        return refused(PlayFault::DamagedFormat);
    }
    format.resize(kFormatExSize + extra);
    if (!reader.read(offset + kFormatExSize, std::span(format).subspan(kFormatExSize),
                     PlayFault::DamagedFormat)) {
        return reader.failure;
    }
    header.tag = le16(format.data());
    header.channels = le16(format.data() + 2);
    header.sampleRate = le32(format.data() + 4);
    header.bytesPerSecond = le32(format.data() + 8);
    header.blockAlign = le16(format.data() + 12);
    if (extra < extraNeeded(header.tag)) {
        return refused(PlayFault::DamagedFormat);
    }
    if (header.tag == wave_tag::kMsAdpcm) {
        // Windows' codec reads as many coefficient pairs as the format says it has
        const std::size_t pairs = le16(format.data() + 20);
        if (pairs < kMsAdpcmPairs || 4 + 4 * pairs > extra) {
            return refused(PlayFault::DamagedFormat);
        }
    }
    // A known sub-format keeps its tag's rules; its samples a block, where it has them, stand
    // where the tag's own would.
    if (header.tag == wave_tag::kExtensible &&
        std::equal(kSubFormatBase.begin(), kSubFormatBase.end(), format.data() + 28) &&
        le16(format.data() + 26) == 0) {
        header.tag = le16(format.data() + 24);
    }
    return Status::success();
}

// The fields any player divides by or passes to the sound server as they stand.
Status checkFields(const WaveHeader& header) {
    if (header.channels == 0) {
        return refused(PlayFault::NoChannels);
    }
    if (header.channels > kMostChannels) {
        return refused(PlayFault::TooManyChannels);
    }
    if (header.sampleRate == 0 || header.sampleRate > kHighestSampleRate) {
        return refused(PlayFault::RateOutOfRange);
    }
    if (header.blockAlign == 0) {
        return refused(PlayFault::NoBlockAlign);
    }
    return Status::success();
}

}  // namespace

Result<WaveHeader> readWaveHeader(std::uint64_t fileSize, const ReadAt& readAt) {
    HeaderReader reader(fileSize, readAt);
    std::array<unsigned char, 12> riff{};
    if (!reader.read(0, riff, PlayFault::NotWave)) {
        return reader.failure;
    }
    const bool rf64 = isId(riff.data(), "RF64");
    if (!(isId(riff.data(), "RIFF") || rf64) || !isId(riff.data() + 8, "WAVE")) {
        return refused(PlayFault::NotWave);
    }
    WaveHeader header;
    bool hasFormat = false;
    std::uint64_t ds64DataSize = 0;
    // The format comes before the sound, where Windows' own readers look for it.
    for (std::uint64_t at = riff.size(), chunks = 0;; ++chunks) {
        std::array<unsigned char, 8> chunk{};
        if (at > fileSize || fileSize - at < chunk.size()) {
            return refused(hasFormat ? PlayFault::NoData : PlayFault::NoFormat);
        }
        if (chunks == kMostChunksBeforeTheSound) {
            return refused(PlayFault::DamagedHeader);
        }
        if (!reader.read(at, chunk, PlayFault::DamagedHeader)) {
            return reader.failure;
        }
        const std::uint64_t body = at + chunk.size();
        const std::uint64_t available = fileSize - body;
        std::uint64_t size = le32(chunk.data() + 4);
        if (rf64 && chunks == 0) {
            // an RF64 file keeps its true sizes in a chunk of its own, first
            std::array<unsigned char, kDs64Size> sizes{};
            if (!isId(chunk.data(), "ds64") || size < sizes.size()) {
                return refused(PlayFault::DamagedHeader);
            }
            if (!reader.read(body, sizes, PlayFault::DamagedHeader)) {
                return reader.failure;
            }
            ds64DataSize = le64(sizes.data() + 8);
        }
        if (isId(chunk.data(), "data")) {
            if (!hasFormat) {
                return refused(PlayFault::NoFormat);
            }
            header.dataOffset = body;
            header.dataSize =
                std::min(rf64 && size == kSizeInDs64 ? ds64DataSize : size, available);
            break;
        }
        if (isId(chunk.data(), "fmt ") && !hasFormat) {
            if (Status format = readFormat(reader, body, size, header); !format.ok()) {
                return format.failure();
            }
            hasFormat = true;
        }
        at = body + size + (size & 1);
    }
    if (Status fields = checkFields(header); !fields.ok()) {
        return fields.failure();
    }
    const auto perSecond = bytesPerSecond(header, le16(header.format.data() + 14));
    if (!perSecond) {
        return refused(PlayFault::FieldsDisagree);
    }
    header.bytesPerSecond = *perSecond;
    header.dataSize -= header.dataSize % header.blockAlign;
    return header;
}

}  // namespace zorvik
