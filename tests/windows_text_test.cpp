#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "platform/text_breaks.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"

namespace zorvik {
namespace {

TEST(FoldCase, MapsLatinGreekAndCyrillicAsWindowsDoes) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"ring.wav", "RING.WAV"},
        {"звън.wav", "ЗВЪН.WAV"},
        {"ѐѓѝ", "ЀЃЍ"},    // U+0450..U+045F block
        {"ґӂ", "ҐӁ"},      // alternating ranges of Cyrillic
        {"äöüÿ", "ÄÖÜŸ"},  // Latin-1, and ÿ whose capital lies elsewhere
        {"ąłž", "ĄŁŽ"},    // Latin Extended-A, both parities
        {"σς", "ΣΣ"},      // final sigma
        {"÷ß", "÷ß"},      // no single capital: unchanged
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::foldCase(c.in), c.out) << c.in;
    }
}

TEST(FoldCase, PassesInvalidBytesThrough) {
    EXPECT_EQ(text::foldCase("a\xFFz"), "A\xFFZ");
    EXPECT_EQ(text::foldCase("\xD0"), "\xD0");
}

TEST(WindowsNames, RefusesWhatWindowsCannotHold) {
    for (const char* name : {"Звън.wav", "a b.wav", "-dash.wav", ".wav", "COM0.wav", "COM10.wav",
                             "CONSOLE.wav", "icon.wav", "LPT.wav", ".CON.wav"}) {
        EXPECT_TRUE(text::isValidWindowsName(name)) << name;
    }
    // characters Windows forbids (\042 is a quote), an overlong '/', a surrogate, a trailing dot
    // or space that Windows would drop, and the devices
    const char* const invalid[] = {
        "",         ".",        "..",       "a:b.wav",       "a\\b.wav",
        "a*.wav",   "a?.wav",   "a<b.wav",  "a>b.wav",       "a|b.wav",
        "a\nb.wav", "a\tb.wav", "\x7F.wav", "\xC0\xAF.wav",  "\xED\xA0\x80.wav",
        "a.wav.",   "a.wav ",   "CON.wav",  "con",           "Nul.tar.wav",
        "aux .wav", "COM1.wav", "lpt9.wav", "COM\u00B9.wav", "a\042b.wav"};
    for (const char* name : invalid) {
        EXPECT_FALSE(text::isValidWindowsName(name)) << name;
    }
    // at most 255 UTF-16 units, however many bytes they take
    const auto times = [](std::string_view piece, int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += piece;
        }
        return out + ".wav";
    };
    EXPECT_TRUE(text::isValidWindowsName(times("Д", 251)));
    EXPECT_FALSE(text::isValidWindowsName(times("a", 252)));
    EXPECT_FALSE(text::isValidWindowsName(times("🎵", 126))) << "two units each";
}

TEST(Utf16, RoundTripsAndRefusesBrokenInput) {
    const std::string text = "Звън 🎵.wav";
    const auto units = text::utf8ToUtf16Le(text);
    ASSERT_TRUE(units);
    EXPECT_EQ(units->size(), 2u * 11u);  // the note is a surrogate pair
    EXPECT_EQ(text::utf16LeToUtf8(*units), text);
    EXPECT_FALSE(text::utf16LeToUtf8("a"));                                 // odd byte count
    EXPECT_FALSE(text::utf16LeToUtf8(std::string("\x00\xD8", 2)));          // lone high surrogate
    EXPECT_FALSE(text::utf16LeToUtf8(std::string("\x00\xDC\x41\x00", 4)));  // lone low one
    EXPECT_FALSE(text::utf8ToUtf16Le("\xFF"));
}

TEST(WindowsPaths, SplitJoinAndCompareAsWindowsDoes) {
    EXPECT_EQ(winpath::join("C:\\Rings", "a.wav"), "C:\\Rings\\a.wav");
    EXPECT_EQ(winpath::join("C:\\Rings", ""), "C:\\Rings\\");
    EXPECT_EQ(winpath::fileName("C:\\Rings\\a.wav"), "a.wav");
    EXPECT_EQ(winpath::fileName("C:\\Rings\\"), "");
    EXPECT_EQ(winpath::folder("C:\\Rings\\a.wav"), "C:\\Rings");
    EXPECT_TRUE(
        winpath::samePath("C:\\Program Files\\Zorvik\\RINGS", "c:/program files/zorvik/rings\\"));
    EXPECT_TRUE(winpath::samePath("C:\\Мелодии", "c:\\МЕЛОДИИ"));
    EXPECT_FALSE(winpath::samePath("C:\\Rings\\Deleted", "C:\\Rings"));
}

// Unicode's own cases, from Debian's unicode-data (under Wine, on the drive of the Unix root):
// a text, and where its clusters end.
TEST(GraphemeClusters, EndWhereUnicodesOwnCasesSay) {
    std::ifstream cases("/usr/share/unicode/auxiliary/GraphemeBreakTest.txt");
    if (!cases) {
        GTEST_SKIP() << "no GraphemeBreakTest.txt: tools/install-deps test installs it";
    }
    int checked = 0;
    for (std::string line; std::getline(cases, line);) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string text;
        std::vector<std::size_t> expected;
        bool surrogate = false;  // which UTF-8 cannot hold
        for (std::string field; fields >> field;) {
            if (field == "\u00f7") {
                expected.push_back(text.size());
            } else if (field != "\u00d7") {
                const auto codePoint = static_cast<char32_t>(std::stoul(field, nullptr, 16));
                surrogate = surrogate || (codePoint >= 0xD800 && codePoint <= 0xDFFF);
                text::appendUtf8(text, codePoint);
            }
        }
        if (text.empty() || surrogate) {
            continue;
        }
        std::vector<std::size_t> ends{0};
        while (ends.back() < text.size()) {
            ends.push_back(text::graphemeEnd(text, ends.back()));
        }
        EXPECT_EQ(ends, expected) << line;
        ++checked;
    }
    EXPECT_GT(checked, 500);
}

TEST(BoxText, BreaksEveryLongRunBetweenTwoCharactersNeverInsideOne) {
    const std::string x39(39, 'x');
    const struct {
        std::string message;
        std::string shown;
    } cases[] = {
        {"Желаете ли?\r\n„a b.wav“", "Желаете ли?\n„a b.wav“"},
        {std::string(30, 'x') + " " + std::string(30, 'y'),
         std::string(30, 'x') + " " + std::string(30, 'y')},
        {std::string(80, 'x'), std::string(40, 'x') + "\n" + std::string(40, 'x')},
        {x39 + "🎵.wav", x39 + "🎵\n.wav"},              // not between its surrogates
        {x39 + "и\u0306.wav", x39 + "и\u0306\n.wav"},  // not before its breve
        {std::string(40, 'x') + "\xff", std::string(40, 'x') + "\n\xff"},  // a broken byte: one
    };
    for (const auto& row : cases) {
        EXPECT_EQ(text::brokenForABox(row.message), row.shown) << row.message;
    }
}

}  // namespace
}  // namespace zorvik
