// Writes the fuzzers' seed corpus: settings files of every shape the parser knows, and WAV files
// of the whole family and with broken headers, all generated here so the project holds no binary
// fixtures.
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/elevated/step_protocol.h"
#include "platform/windows_text.h"
#include "tests/support/wave_table.h"
#include "tools/wav_synth.h"

namespace fs = std::filesystem;

namespace {

void write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeWav(const fs::path& path, int format, int rate, int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return;
    }
    std::vector<float> samples(static_cast<std::size_t>(rate / 20 * channels));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(0.5 * std::sin(static_cast<double>(i) * 0.1));
    }
    sf_writef_float(file, samples.data(), rate / 20);
    sf_close(file);
}

// A command line, then one action's requests as the user's process sends them, each after the
// separator fuzz_elevated_request splits at.
void writeElevatedSession(const fs::path& folder) {
    using zorvik::elevated::MessageWriter;
    using zorvik::elevated::StepCall;
    fs::create_directories(folder);
    const std::string rings = "C:\\Program Files\\Zorvik\\Rings";
    const std::string temporary = rings + "\\.zorvik-copy-0.tmp";
    const std::string requests[] = {
        MessageWriter().call(StepCall::CreateTemporary).text(rings).take(),
        MessageWriter().call(StepCall::WriteBlock).text(temporary).number(0).text("RIFF").take(),
        MessageWriter().call(StepCall::WriteHole).text(temporary).number(4).number(64).take(),
        MessageWriter()
            .call(StepCall::FinishTemporary)
            .text(temporary)
            .facts({68, 1, 2, 0x21, false, {}})
            .flag(true)
            .take(),
        MessageWriter()
            .call(StepCall::RenameIntoPlace)
            .text(temporary)
            .text(rings + "\\x.wav")
            .take(),
        MessageWriter()
            .call(StepCall::KeepAside)
            .text(rings + "\\Deleted\\x.wav")
            .text(rings + "\\Deleted\\.zorvik-kept-1.tmp")
            .take(),
        MessageWriter()
            .call(StepCall::MoveInOneStep)
            .text(rings + "\\x.wav")
            .text(rings + "\\Deleted\\x.wav")
            .take(),
        MessageWriter().call(StepCall::RemoveFile).text(rings + "\\NOTE~1.WAV").flag(true).take(),
    };
    std::string session = "\\\\.\\pipe\\Zorvik.Elevated.12.34 12";
    for (const std::string& request : requests) {
        session += "\xff\xfe" + request;
    }
    write(folder / "session.bin", session);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const fs::path root = argv[1];
    fs::create_directories(root / "reg");
    fs::create_directories(root / "wav");
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string key = "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n";
    write(root / "reg" / "settings.reg",
          header + key +
              "\"Audio\"=dword:00000001\n\"inDeleted\"=dword:00000000\n"
              "\"AudioPath\"=\"C:\\\\Program Files\\\\Zorvik\\\\Rings\"\n"
              "\"RingSound\"=\"Звън \\\"1\\\".wav\"\n");
    write(root / "reg" / "types.reg",
          header + key +
              "@=\"default\"\n\"Blob\"=hex:01,02,\\\n  03\n\"Expand\"=hex(2):61,00,00,00\n"
              "\"Multi\"=hex(7):61,00,00,00,00,00\n\"Gone\"=-\n; comment\n");
    write(root / "reg" / "old.reg",
          "REGEDIT4\n\n" + key + "\"Audio\"=dword:2\n[-HKEY_CURRENT_USER\\X]\n");
    write(root / "reg" / "utf16.reg",
          "\xFF\xFE" +
              zorvik::text::utf8ToUtf16Le(header + key + "\"RingSound\"=\"Звън.wav\"\r\n").value());
    write(root / "reg" / "empty.reg", "");
    write(root / "reg" / "repeated.reg",
          header + key + "\"Audio\"=dword:1\n\"AUDIO\"=dword:2\n\n" + key +
              "\"audio\"=\"3\"\n\"RingSound\"=-\n\"RingSound\"=\"a.wav\"\n");

    write(root / "wav" / "pcm16.wav",
          zorvik::wav::pcm16File(zorvik::wav::synthesize({{440, 0.05}}, 8000), 8000, 1));
    const std::pair<const char*, int> formats[] = {
        {"u8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
        {"pcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"pcm32", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
        {"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"wavex", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16},
        {"ulaw", SF_FORMAT_WAV | SF_FORMAT_ULAW},
        {"alaw", SF_FORMAT_WAV | SF_FORMAT_ALAW},
        {"ima", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM},
        {"msadpcm", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM},
        {"gsm", SF_FORMAT_WAV | SF_FORMAT_GSM610},
        {"rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
    };
    for (const auto& [name, format] : formats) {
        writeWav(root / "wav" / (std::string(name) + ".wav"), format, 8000, 2);
    }
    // every header the players must take or refuse, a step from something that breaks them
    for (const auto& row : zorvik::testing::waveCases()) {
        write(root / "wav" / row.name, row.bytes);
    }
    writeElevatedSession(root / "elevated");
    return 0;
}
