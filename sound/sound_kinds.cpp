#include "sound/sound_kinds.h"

#include <string_view>

#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::sound {

namespace {

struct SoundKind {
    std::string_view format;    // its name, as the user knows it
    std::string_view patterns;  // ';' between them
    bool onWindows;             // Media Foundation reads it (Ogg and Opus with their extensions)
};

constexpr SoundKind kSoundKinds[] = {
    {"MP3", "*.mp3", true},          {"M4A/AAC", "*.m4a;*.aac", true},
    {"FLAC", "*.flac", true},        {"Ogg Vorbis", "*.ogg;*.oga", true},
    {"Opus", "*.opus", true},        {"WMA", "*.wma", true},
    {"AIFF", "*.aif;*.aiff", false},
};

#ifdef _WIN32
constexpr bool kWindowsBuild = true;
#else
constexpr bool kWindowsBuild = false;
#endif

}  // namespace

std::string convertibleSoundFilters() {
    std::string all = "*.wav";
    std::string each;
    for (const auto& kind : kSoundKinds) {
        if (kWindowsBuild && !kind.onWindows) {
            continue;
        }
        all += ';';
        all += kind.patterns;
        each += '|' + failure_text::filled(texts::kSoundKindFilter, {kind.format}) + '|';
        each += kind.patterns;
    }
    return '|' + std::string(texts::kAllSoundsFilter) + '|' + all + each + '|' +
           std::string(texts::kAllFilesFilter) + "|*.*";
}

}  // namespace zorvik::sound
