#include "sound/melody_source.h"

#include "platform/windows_text.h"
#include "sound/melody_writer.h"
#include "sound/sound_failures.h"
#include "sound/wave_header.h"

namespace zorvik::sound {

std::string melodyName(std::string_view fileName) {
    if (text::matchesWavPattern(fileName)) {
        return std::string(fileName);
    }
    const auto dot = fileName.rfind('.');
    const std::string_view stem =
        dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    return std::string(stem) + ".wav";
}

Result<MelodySource> examineMelodySource(SourceReader& file, const std::string& hostPath,
                                         SoundDecoder& decoder) {
    if (file.facts().size == 0) {
        return failure_text::soundFault(SoundFault::Empty);
    }
    const auto header = readWaveHeader(
        file.facts().size,
        [&file](std::uint64_t offset, std::span<unsigned char> into) -> std::optional<std::size_t> {
            const auto got = file.read(offset, {reinterpret_cast<char*>(into.data()), into.size()});
            return got.ok() ? std::optional(got.value()) : std::nullopt;
        });
    if (header.ok()) {
        return MelodySource{};
    }
    if (header.failure().code == ErrorCode::Io) {
        return header.failure();
    }
    auto sound = decoder.open(hostPath);
    if (!sound.ok()) {
        // a WAV file's header says best what is wrong with it
        const bool wave =
            header.failure().message != failure_text::playFault(PlayFault::NotWave).message;
        return wave ? header.failure() : sound.failure();
    }
    if (!fitsAWaveFile(sound.value()->frames(), sound.value()->shape())) {
        return failure_text::soundFault(SoundFault::TooLong);
    }
    return MelodySource{std::move(sound).value()};
}

}  // namespace zorvik::sound
