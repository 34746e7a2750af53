#include "tests/support/wave_table.h"

#include "tools/wav_synth.h"

namespace zorvik::testing {

namespace {

using namespace wav;

// The 22 bytes after cbSize of WAVE_FORMAT_EXTENSIBLE, for a sub-format that carries a tag.
std::string subFormat(unsigned tag, unsigned validBits) {
    return le16(validBits) + le32(0) + le16(tag) +
           std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
}

std::string msAdpcmExtra(unsigned samplesPerBlock, unsigned pairs) {
    std::string extra = le16(samplesPerBlock) + le16(pairs);
    const int standard[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                {240, 0}, {460, -208}, {392, -232}};
    for (const auto& pair : standard) {
        extra += le16(static_cast<unsigned>(pair[0]) & 0xFFFF) +
                 le16(static_cast<unsigned>(pair[1]) & 0xFFFF);
    }
    return extra;
}

std::string withBytesPerSecond(std::string format, std::uint32_t value) {
    return format.replace(8, 4, le32(value));
}

std::string le64(std::uint64_t value) {
    return le32(static_cast<std::uint32_t>(value)) + le32(static_cast<std::uint32_t>(value >> 32));
}

}  // namespace

std::vector<WaveCase> waveCases() {
    const std::string samples(4096, '\x10');
    const std::string data = chunk("data", samples);
    const auto wave = [&data](const std::string& format) {
        return riff(chunk("fmt ", format) + data);
    };
    const std::string pcm = waveFormat(1, 1, 8000, 2, 16);
    const std::string cut = wave(pcm);
    const std::string rf64Body = chunk("fmt ", pcm) + "data" + le32(0xFFFFFFFF) + samples;
    const std::string rf64 = "RF64" + le32(0xFFFFFFFF) + "WAVE" +
                             chunk("ds64", le64(rf64Body.size() + 40) + le64(samples.size()) +
                                               le64(samples.size() / 2) + le32(0)) +
                             rf64Body;
    // the sound as the 1024th chunk at most, and no later
    const auto chunksBefore = [&](int count) {
        std::string chunks;
        for (int i = 0; i < count; ++i) {
            chunks += chunk("junk", "");
        }
        return riff(chunks + chunk("fmt ", pcm) + data);
    };
    using enum PlayFault;
    return {
        {"pcm 8.wav", wave(waveFormat(1, 1, 8000, 1, 8)), {}},
        {"pcm 16 stereo.wav", wave(waveFormat(1, 2, 44100, 4, 16)), {}},
        {"pcm 24.wav", wave(waveFormat(1, 2, 48000, 6, 24)), {}},
        {"pcm 32.wav", wave(waveFormat(1, 1, 96000, 4, 32)), {}},
        {"float.wav", wave(waveFormat(3, 2, 44100, 8, 32)), {}},
        {"extensible.wav", wave(waveFormat(0xFFFE, 2, 48000, 4, 16, subFormat(1, 16))), {}},
        {"extensible 24.wav", wave(waveFormat(0xFFFE, 2, 96000, 6, 24, subFormat(1, 24))), {}},
        {"extensible float.wav", wave(waveFormat(0xFFFE, 1, 48000, 4, 32, subFormat(3, 32))), {}},
        {"mu-law.wav", wave(waveFormat(7, 1, 8000, 1, 8)), {}},
        {"a-law.wav", wave(waveFormat(6, 1, 8000, 1, 8)), {}},
        {"ima adpcm.wav", wave(waveFormat(0x11, 1, 8000, 256, 4, le16(505))), {}},
        {"ms adpcm.wav", wave(waveFormat(2, 1, 8000, 256, 4, msAdpcmExtra(500, 7))), {}},
        {"16-byte format.wav", wave(pcm.substr(0, 16)), {}},
        {"cut short.wav", cut.substr(0, cut.size() - 1001), {}},
        {"rf64.wav", rf64, {}},
        {"odd chunk first.wav", riff(chunk("JUNK", "odd") + chunk("fmt ", pcm) + data), {}},
        {"384 kHz.wav", wave(waveFormat(1, 1, 384000, 2, 16)), {}},
        {"1022 chunks first.wav", chunksBefore(1022), {}},

        {"no channels.wav", wave(waveFormat(1, 0, 8000, 2, 16)), NoChannels},
        {"ima no channels.wav", wave(waveFormat(0x11, 0, 8000, 256, 4, le16(505))), NoChannels},
        {"no block align.wav", wave(waveFormat(1, 1, 8000, 0, 16)), NoBlockAlign},
        {"ima no block align.wav", wave(waveFormat(0x11, 1, 8000, 0, 4, le16(505))), NoBlockAlign},
        {"0 Hz.wav", wave(waveFormat(1, 1, 0, 2, 16)), RateOutOfRange},
        {"384001 Hz.wav", wave(waveFormat(1, 1, 384001, 2, 16)), RateOutOfRange},
        {"768 kHz.wav", wave(waveFormat(1, 2, 768000, 4, 16)), RateOutOfRange},
        {"65 channels.wav", wave(waveFormat(1, 65, 8000, 130, 16)), TooManyChannels},
        {"block against channels.wav", wave(waveFormat(1, 2, 8000, 2, 16)), FieldsDisagree},
        {"no bits.wav", wave(waveFormat(1, 1, 8000, 2, 0)), FieldsDisagree},
        // each kind's rule just past its edge
        {"pcm 33.wav", wave(waveFormat(1, 1, 8000, 5, 33)), FieldsDisagree},
        {"float 16.wav", wave(waveFormat(3, 1, 8000, 2, 16)), FieldsDisagree},
        {"mu-law 16.wav", wave(waveFormat(7, 1, 8000, 1, 16)), FieldsDisagree},
        {"float block against channels.wav", wave(waveFormat(3, 2, 8000, 4, 32)), FieldsDisagree},
        {"float 64 block against bits.wav", wave(waveFormat(3, 1, 8000, 4, 64)), FieldsDisagree},
        {"a-law block against channels.wav", wave(waveFormat(6, 2, 8000, 1, 8)), FieldsDisagree},
        {"ima 3 bits.wav", wave(waveFormat(0x11, 1, 8000, 256, 3, le16(505))), FieldsDisagree},
        {"ms adpcm 3 bits.wav", wave(waveFormat(2, 1, 8000, 256, 3, msAdpcmExtra(500, 7))),
         FieldsDisagree},
        {"ms adpcm block short of its headers.wav",
         wave(waveFormat(2, 2, 8000, 13, 4, msAdpcmExtra(2, 7))), FieldsDisagree},
        {"gsm stereo.wav", wave(waveFormat(0x31, 2, 8000, 65, 0, le16(320))), FieldsDisagree},
        {"gsm samples a block.wav", wave(waveFormat(0x31, 1, 8000, 65, 0, le16(319))),
         FieldsDisagree},
        {"ima block all header.wav", wave(waveFormat(0x11, 1, 8000, 4, 4, le16(1))),
         FieldsDisagree},
        {"ms adpcm samples a block.wav", wave(waveFormat(2, 1, 8000, 256, 4, msAdpcmExtra(499, 7))),
         FieldsDisagree},
        {"gsm block short.wav", wave(waveFormat(0x31, 1, 8000, 64, 0, le16(320))), FieldsDisagree},
        {"gsm block long.wav", wave(waveFormat(0x31, 1, 8000, 66, 0, le16(320))), FieldsDisagree},
        {"ima samples a block.wav", wave(waveFormat(0x11, 1, 8000, 256, 4, le16(504))),
         FieldsDisagree},
        {"ima block too small.wav", wave(waveFormat(0x11, 2, 8000, 8, 4, le16(1))), FieldsDisagree},
        {"unknown codec, no bytes a second.wav",
         wave(withBytesPerSecond(waveFormat(0x55, 2, 44100, 1, 0), 0)), FieldsDisagree},
        {"unknown codec, a lie a second.wav",
         wave(withBytesPerSecond(waveFormat(0x55, 2, 44100, 1, 0), 0xFFFFFFFF)), FieldsDisagree},
        {"format past the end.wav", riff(chunk("fmt ", pcm)).substr(0, 30), DamagedFormat},
        {"format too short.wav", wave(pcm.substr(0, 14)), DamagedFormat},
        {"cbSize past its chunk.wav", wave(pcm.substr(0, 16) + le16(40)), DamagedFormat},
        {"extensible without its fields.wav", wave(waveFormat(0xFFFE, 2, 48000, 4, 16)),
         DamagedFormat},
        {"ima without samples a block.wav", wave(waveFormat(0x11, 1, 8000, 256, 4)), DamagedFormat},
        {"ms adpcm coefficients past the format.wav",
         wave(waveFormat(2, 1, 8000, 256, 4, msAdpcmExtra(500, 200))), DamagedFormat},
        {"ms adpcm 6 coefficients.wav", wave(waveFormat(2, 1, 8000, 256, 4, msAdpcmExtra(500, 6))),
         DamagedFormat},
        {"no format.wav", riff(data), NoFormat},
        {"data before format.wav", riff(data + chunk("fmt ", pcm)), NoFormat},
        {"chunk past the end.wav", riff("LIST" + le32(1 << 30) + chunk("fmt ", pcm) + data),
         NoFormat},
        {"no data.wav", riff(chunk("fmt ", pcm)), NoData},
        {"1023 chunks first.wav", chunksBefore(1023), DamagedHeader},
        {"endless chunks.wav", chunksBefore(1100), DamagedHeader},
        {"rf64 without sizes.wav", "RF64" + rf64.substr(4, 8) + chunk("fmt ", pcm) + data,
         DamagedHeader},
        {"rf64 sizes without their table.wav",
         "RF64" + rf64.substr(4, 8) +
             chunk("ds64", le64(rf64Body.size() + 36) + le64(samples.size()) + le64(2048)) +
             rf64Body,
         DamagedHeader},
        {"empty.wav", "", NotWave},
        {"text.wav", "това не е звук, а текст", NotWave},
        {"avi.wav", "RIFF" + le32(4) + "AVI ", NotWave},
        {"big-endian.wav", "RIFX" + cut.substr(4), NotWave},
    };
}

}  // namespace zorvik::testing
