#pragma once

#include <iterator>
#include <string>
#include <vector>

namespace zorvik::testing {

// Melody names that text shaping has tripped over: every Bulgarian letter, lower and upper case,
// at the start of a name that holds the letters Wine 8's uniscribe faulted on (д, е, ж, з);
// other scripts, right-to-left text with its marks, combining marks, emoji; runs without a space
// longer than a box shows on a line, with a character of two code points or UTF-16 units where
// the line would end; and, last, a name of 240 characters that a Linux file system still holds
// (246 bytes in UTF-8). All distinct and all matched by "*.wav", also by a file system that
// ignores case.
inline constexpr std::size_t kNamesOfEveryBulgarianLetter = 60;  // the first ones

inline std::vector<std::string> melodyNamesOfEveryScript() {
    static const char* const kBulgarian[] = {
        "а", "б", "в", "г", "д", "е", "ж", "з", "и", "й", "к", "л", "м", "н", "о",
        "п", "р", "с", "т", "у", "ф", "х", "ц", "ч", "ш", "щ", "ъ", "ь", "ю", "я",
        "А", "Б", "В", "Г", "Д", "Е", "Ж", "З", "И", "Й", "К", "Л", "М", "Н", "О",
        "П", "Р", "С", "Т", "У", "Ф", "Х", "Ц", "Ч", "Ш", "Щ", "Ъ", "Ь", "Ю", "Я"};
    static_assert(std::size(kBulgarian) == kNamesOfEveryBulgarianLetter);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < std::size(kBulgarian); ++i) {
        // each case its own tail: the Windows file system takes "аж" and "Аж" for one name
        names.push_back(kBulgarian[i] + std::string(i < 30 ? "ъжде.wav" : "еж.wav"));
    }
    for (const char* name : {
             "Αστέρι της αυγής.wav",              // Greek
             "\u200fשיר ערש\u200f.wav",           // Hebrew between right-to-left marks
             "\u200fنغمة الهاتف\u200f.wav",       // Arabic likewise
             "電話の着信音 铃声.wav",             // Japanese and Chinese
             "🎵 звън 🔔.wav",                      // emoji around Cyrillic
             "з\u0301везда и\u0306 е\u0300.wav",  // combining accents, as stress marks are typed
             // in a question's quotes, 39 characters, then an emoji; 39, then a й of и and its
             // breve
             "Мелодия_за_звънене_на_телефон_ZorvikBG🎵.wav",
             "Песен_за_звънене_на_телефона_ZorvikBG_и\u0306.wav",
         }) {
        names.emplace_back(name);
    }
    names.push_back("звезда" + std::string(230, 'x') + ".wav");
    return names;
}

}  // namespace zorvik::testing
