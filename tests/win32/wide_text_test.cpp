// Every text crosses into Windows as UTF-16 and back unchanged; what is not valid never
// becomes something else silently.
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

namespace zorvik::win32 {
namespace {

TEST(WideText, RoundTripsEveryPlane) {
    const struct {
        std::string utf8;
        std::wstring utf16;
    } rows[] = {
        {"", L""},
        {"Phone.wav", L"Phone.wav"},
        {"Звън на Зорвик.wav", L"\x0417\x0432\x044A\x043D на Зорвик.wav"},
        {"Ελληνικά ø €", L"Ελληνικά \x00F8 \x20AC"},
        {"🎵 мелодия", L"\xD83C\xDFB5 мелодия"},  // a surrogate pair
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(toWide(row.utf8), row.utf16) << row.utf8;
        EXPECT_EQ(toUtf8(row.utf16), row.utf8) << row.utf8;
    }
}

TEST(WideText, InvalidTextIsRefusedOrMarked) {
    for (const std::string bad : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "abc\xFF", "\xE2\x82"}) {
        EXPECT_EQ(toWide(bad), std::nullopt) << "strict conversion of an invalid byte";
        EXPECT_NE(toWideLossy(bad).find(L'\xFFFD'), std::wstring::npos) << "shown as U+FFFD";
    }
    const std::wstring unpaired = L"a\xD800z";
    EXPECT_EQ(toUtf8(unpaired), std::nullopt);
    EXPECT_EQ(toUtf8Lossy(unpaired), "a\xEF\xBF\xBDz");
}

TEST(WideText, ApiPathsAreWindowsOwnAndReachPastMaxPath) {
    EXPECT_EQ(apiPath("C:/Program Files/Zorvik/Звън.wav").value(),
              L"C:\\Program Files\\Zorvik\\Звън.wav");
    EXPECT_EQ(apiPath("Rings\\a.wav").value(), L"Rings\\a.wav")
        << "relative paths stay as they are";

    std::string deep = "C:\\Мелодии";
    while (toWide(deep)->size() < 400) {
        deep += "\\дълбока папка";
    }
    const std::wstring wide = apiPath(deep + "\\.\\x.wav").value();
    EXPECT_EQ(wide.rfind(L"\\\\?\\C:\\Мелодии\\", 0), 0u) << "a long path takes the \\\\?\\ form";
    EXPECT_EQ(wide.find(L"\\.\\"), std::wstring::npos) << "made whole by Windows first";

    const auto invalid = apiPath("C:\\\xFF.wav");
    ASSERT_FALSE(invalid.ok());
    EXPECT_EQ(invalid.failure().code, ErrorCode::InvalidName);
}

}  // namespace
}  // namespace zorvik::win32
