#include "tools/wav_synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zorvik::wav {

namespace {

void putLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

std::vector<std::int16_t> synthesize(const std::vector<Note>& notes, int sampleRate) {
    std::vector<std::int16_t> samples;
    for (const auto& note : notes) {
        const auto count = static_cast<std::size_t>(note.seconds * sampleRate);
        const double fade = std::min(0.01 * sampleRate, static_cast<double>(count) / 2.0);
        for (std::size_t i = 0; i < count; ++i) {
            double envelope = 1.0;
            const double fromEnd = static_cast<double>(count - i);
            if (static_cast<double>(i) < fade) {
                envelope = static_cast<double>(i) / fade;
            } else if (fromEnd < fade) {
                envelope = fromEnd / fade;
            }
            const double phase =
                2.0 * std::numbers::pi * note.frequency * static_cast<double>(i) / sampleRate;
            samples.push_back(static_cast<std::int16_t>(12000.0 * envelope * std::sin(phase)));
        }
    }
    return samples;
}

std::string pcm16File(const std::vector<std::int16_t>& samples, int sampleRate, int channels) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    const auto channelCount = static_cast<std::uint32_t>(channels);
    std::string out = "RIFF";
    putLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLittleEndian(out, 16, 4);
    putLittleEndian(out, 1, 2);  // PCM
    putLittleEndian(out, channelCount, 2);
    putLittleEndian(out, rate, 4);
    putLittleEndian(out, rate * channelCount * 2, 4);
    putLittleEndian(out, channelCount * 2, 2);
    putLittleEndian(out, 16, 2);
    out += "data";
    putLittleEndian(out, dataBytes, 4);
    for (std::int16_t sample : samples) {
        putLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    }
    return out;
}

std::string demoMelody(unsigned seed, double seconds, int sampleRate) {
    // a pentatonic walk: pleasant whatever the seed
    static constexpr double kScale[] = {523.25, 587.33, 659.25, 783.99, 880.00, 1046.50};
    std::vector<Note> notes;
    unsigned state = seed * 2654435761u + 1;
    double total = 0;
    while (total < seconds) {
        state = state * 1103515245u + 12345u;
        const double length = ((state >> 16) % 2 == 0) ? 0.15 : 0.3;
        notes.push_back({kScale[(state >> 20) % 6], length});
        total += length;
    }
    return pcm16File(synthesize(notes, sampleRate), sampleRate, 1);
}

std::string le16(unsigned value) {
    std::string out;
    putLittleEndian(out, value, 2);
    return out;
}

std::string le32(std::uint32_t value) {
    std::string out;
    putLittleEndian(out, value, 4);
    return out;
}

std::string chunk(std::string_view id, std::string_view body) {
    std::string out(id);
    out += le32(static_cast<std::uint32_t>(body.size()));
    out += body;
    if (body.size() % 2 == 1) {
        out += '\0';
    }
    return out;
}

std::string riff(std::string_view chunks) {
    return "RIFF" + le32(static_cast<std::uint32_t>(chunks.size() + 4)) + "WAVE" +
           std::string(chunks);
}

std::string waveFormat(unsigned tag, unsigned channels, std::uint32_t rate, unsigned blockAlign,
                       unsigned bits, std::string_view extra) {
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * blockAlign) + le16(blockAlign) +
           le16(bits) + le16(static_cast<unsigned>(extra.size())) + std::string(extra);
}

}  // namespace zorvik::wav
