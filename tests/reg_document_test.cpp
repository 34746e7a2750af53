#include <gtest/gtest.h>

#include "platform/posix/reg_document.h"
#include "platform/windows_text.h"

namespace zorvik {
namespace {

using posix::RegDocument;

constexpr const char* kKey = "HKEY_CURRENT_USER\\Zorvik\\Setings";

RegDocument parsed(std::string_view text) {
    auto document = RegDocument::parse(text);
    EXPECT_TRUE(document.ok()) << (document.ok() ? "" : document.failure().message);
    return document.ok() ? std::move(document).value() : RegDocument();
}

TEST(RegDocument, ReadsStringsWithEscapesAndDwordsAndKeepsOtherTypesOpaque) {
    const auto document = parsed(
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
        "\"Audio\"=dword:00000001\n"
        "\"inDeleted\"=dword:ffffffff\n"
        "\"AudioPath\"=\"C:\\\\Program Files\\\\Zorvik\\\\Rings\"\n"
        "\"RingSound\"=\"Звън \\\"нов\\\".wav\"\n"
        "@=\"default\"\n"
        // "ab" as REG_EXPAND_SZ, a binary blob over two lines, a multi-string
        "\"Expand\"=hex(2):61,00,62,00,00,00\n"
        "\"Blob\"=hex:01,02,\\\n"
        "  03,04\n"
        "\"Multi\"=hex(7):61,00,00,00,00,00\n"
        "\"Gone\"=-\n");
    EXPECT_EQ(document.find(kKey, "Audio"), RegistryValue::dword(1));
    EXPECT_EQ(document.find(kKey, "indeleted"), RegistryValue::dword(0xFFFFFFFF));
    EXPECT_EQ(document.find(kKey, "AudioPath"),
              RegistryValue::string("C:\\Program Files\\Zorvik\\Rings"));
    EXPECT_EQ(document.find(kKey, "RingSound"), RegistryValue::string("Звън \"нов\".wav"));
    EXPECT_EQ(document.find(kKey, ""), RegistryValue::string("default"));
    EXPECT_EQ(document.find("hkey_current_user\\zorvik\\setings", "AUDIO"),
              RegistryValue::dword(1));
    EXPECT_FALSE(document.find(kKey, "Missing"));
    EXPECT_FALSE(document.find("HKEY_CURRENT_USER\\Zorvik", "Audio"));
    EXPECT_EQ(document.find(kKey, "Expand"),
              (RegistryValue{RegistryValue::Type::ExpandString, "ab", 0}));
    EXPECT_EQ(document.find(kKey, "Blob"),
              (RegistryValue{RegistryValue::Type::Other, "hex", 0, "\x01\x02\x03\x04"}));
    EXPECT_EQ(document.find(kKey, "Multi"),
              (RegistryValue{RegistryValue::Type::Other, "hex(7)", 0, {"a\0\0\0\0\0", 6}}));
    EXPECT_FALSE(document.find(kKey, "Gone"));
}

// An import takes the last of several entries of a value, so reads do too, and a write must
// change that one: changing another would leave the read, and the phone program, on the old.
TEST(RegDocument, RepeatedEntriesAreReadAndWrittenAtTheLastOne) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n";
    const struct {
        const char* what;
        std::string text;
        std::optional<RegistryValue> read;
    } rows[] = {
        {"twice in one section", header + key + "\"Audio\"=dword:1\n\"Audio\"=dword:2\n",
         RegistryValue::dword(2)},
        {"in two sections of the key",
         header + key + "\"Audio\"=dword:1\n" + key + "\"Audio\"=dword:2\n\"x\"=\"y\"\n",
         RegistryValue::dword(2)},
        {"in an earlier section only", header + key + "\"Audio\"=dword:1\n" + key + "\"x\"=\"y\"\n",
         RegistryValue::dword(1)},
        {"names and keys differing in case",
         header + key + "\"AUDIO\"=dword:1\n\"audio\"=dword:3\n" +
             "[hkey_current_user\\zorvik\\setings]\n\"Audio\"=\"2\"\n\"x\"=\"y\"\n",
         RegistryValue::string("2")},
        {"removed after it was set", header + key + "\"Audio\"=dword:1\n\"Audio\"=-\n",
         std::nullopt},
        {"set again after it was removed",
         header + key + "\"Audio\"=-\n\"Audio\"=dword:4\n\"x\"=\"y\"\n", RegistryValue::dword(4)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto document = parsed(row.text);
        EXPECT_EQ(document.find(kKey, "Audio"), row.read);
        document.set(kKey, "Audio", RegistryValue::dword(7));
        EXPECT_EQ(document.find(kKey, "Audio"), RegistryValue::dword(7));
        EXPECT_EQ(parsed(document.serialize()).find(kKey, "Audio"), RegistryValue::dword(7))
            << document.serialize();
        document.remove(kKey, "Audio");
        EXPECT_FALSE(parsed(document.serialize()).find(kKey, "Audio")) << document.serialize();
    }
}

TEST(RegDocument, RefusesWhatDoesNotParse) {
    const std::string header = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Z]\n";
    const std::string cases[] = {
        "[HKEY_CURRENT_USER\\Z]\n\"a\"=dword:1\n",  // no header
        header + "\"a\"=\"broken \\x escape\"\n",
        header + "\"a\"=\"unterminated\n",
        header + "\"a\"=\"text\" junk\n",
        header + "\"a\"=dword:123456789\n",
        header + "\"a\"=dword:12g4\n",
        header + "\"a\"=dword:\n",
        header + "\"a\"=hex:1,2\n",
        header + "\"a\"=hex:01,\n",
        header + "\"a\"=hex:01,\\\n",  // a continuation with no line after it
        header + "\"a\"=hex(1):41\n",  // odd UTF-16
        header + "\"a\" dword:1\n",
        header + "\"a\"\n",  // a name and nothing after it
        header + "\"a=1\n",  // a name never closed
        header + "[]\n",     // a key without a name
        header + "\"a\"=word:1\n",
        header + "junk line\n",
        "Windows Registry Editor Version 5.00\n\"a\"=dword:1\n",  // value outside a key
        header + "[HKEY_CURRENT_USER\\Unclosed\n",
        "Windows Registry Editor Version 5.00\n\xFF\xFE\x00",  // not UTF-8
        std::string("\xFF\xFE\x41", 3),                        // odd UTF-16
    };
    for (const auto& text : cases) {
        const auto document = RegDocument::parse(text);
        ASSERT_FALSE(document.ok()) << text;
        EXPECT_EQ(document.failure().code, ErrorCode::Corrupt);
    }
}

// A change touches only its own line: comments, other keys and the layout stay as they were.
TEST(RegDocument, AChangeRewritesOnlyItsOwnLine) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n";
    const std::string other = "[HKEY_CURRENT_USER\\Other]\n\"Blob\"=hex:01,02,\\\n  03\n\n";
    const struct {
        const char* what;
        std::string before;
        std::vector<std::pair<const char*, RegistryValue>> changes;
        std::string after;
    } rows[] = {
        {"an empty file", "", {}, header + "\n"},
        {"comments only, without the header",
         "; only a comment, no header",
         {{"Audio", RegistryValue::dword(1)}},
         header + "; only a comment, no header\n\n" + key + "\"Audio\"=dword:00000001\n"},
        {"a new key, after a blank line",
         header + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n",
         {{"inDeleted", RegistryValue::dword(0)}},
         header + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\n" + key +
             "\"inDeleted\"=dword:00000000\n"},
        {"a value changed in other case and one added",
         header + "; kept comment\n\n" + other + key +
             "\"audio\"=dword:00000000\n\"Phone\"=\"kept\"\n\n; trailing comment\n",
         {{"Audio", RegistryValue::dword(1)},
          {"RingSound", RegistryValue::string("Звън \"1\".wav")}},
         header + "; kept comment\n\n" + other + key +
             "\"audio\"=dword:00000001\n\"Phone\"=\"kept\"\n"
             "\"RingSound\"=\"Звън \\\"1\\\".wav\"\n\n; trailing comment\n"},
        // a value of another type read before, put back, in the tag this program writes
        {"a multi-string put back",
         header + key + "\"Multi\"=HEX(07):62,00\n",
         {{"Multi", RegistryValue{RegistryValue::Type::Other, "hex(7)", 0, {"a\0\0\0", 4}}}},
         header + key + "\"Multi\"=hex(7):61,00,00,00\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto document = parsed(row.before);
        for (const auto& [name, value] : row.changes) {
            document.set(kKey, name, value);
        }
        EXPECT_EQ(document.serialize(), row.after);
        const auto reread = parsed(document.serialize());
        for (const auto& [name, value] : row.changes) {
            EXPECT_EQ(reread.find(kKey, name), value) << name;
        }
    }
}

TEST(RegDocument, EveryLineEndAndEncodingReadsTheSame) {
    const std::string lines[] = {"Windows Registry Editor Version 5.00",
                                 "",
                                 "[HKEY_CURRENT_USER\\Zorvik\\Setings]",
                                 "\"RingSound\"=\"Звън\rb.wav\"",
                                 "\"Blob\"=hex:01,\\",
                                 "  02",
                                 "\"Audio\"=dword:00000001"};
    const auto joined = [&](std::string_view end, bool lastEnds) {
        std::string text;
        for (const auto& line : lines) {
            text += line;
            text += end;
        }
        return lastEnds ? text : text.substr(0, text.size() - end.size());
    };
    const std::string cases[] = {
        joined("\n", true),
        joined("\r\n", true),
        joined("\n", false),
        joined("\r\n", false) + "\r",  // a CR that ends the file
        "\xEF\xBB\xBF" + joined("\r\n", true),
        "\xFF\xFE" + *text::utf8ToUtf16Le(joined("\r\n", true)),
    };
    for (const auto& bytes : cases) {
        const auto document = parsed(bytes);
        // a CR inside a line is the value's own; only line ends lose theirs
        EXPECT_EQ(document.find(kKey, "RingSound"), RegistryValue::string("Звън\rb.wav")) << bytes;
        EXPECT_EQ(document.find(kKey, "Blob"),
                  (RegistryValue{RegistryValue::Type::Other, "hex", 0, "\x01\x02"}));
        EXPECT_EQ(document.find(kKey, "Audio"), RegistryValue::dword(1)) << bytes;
        EXPECT_EQ(document.serialize(), joined("\n", true));
    }
}

// Lookups go by a hash of the ASCII letters first: names that differ only in other letters, or
// only in case, must still be told apart and found, before and after changes and a round trip.
TEST(RegDocument, ManyKeysAndNamesAlikeButForCyrillicAreToldApart) {
    const char* const names[] = {"Ива", "Ина", "ИВА-2", "Audio", "AUDIO2", "a\\\"b", ""};
    // keys that differ only in a Cyrillic letter
    const std::string kSuffixes[] = {"", "б", "в"};
    const std::string kCapitals[] = {"", "Б", "В"};
    std::string file = "Windows Registry Editor Version 5.00\n";
    for (int key = 0; key < 300; ++key) {
        file += "\n[HKEY_CURRENT_USER\\Ключ " + std::to_string(key % 100) + kSuffixes[key / 100] +
                "]\n";
        for (int name = 0; name < 6; ++name) {
            file += RegDocument::formatValue(
                        names[name],
                        RegistryValue::dword(static_cast<std::uint32_t>(key * 10 + name))) +
                    "\n";
        }
    }
    RegDocument document = parsed(file);
    const auto keyName = [&kCapitals](int key) {
        return "hkey_current_user\\КЛЮЧ " + std::to_string(key % 100) + kCapitals[key / 100];
    };
    for (int key = 0; key < 300; ++key) {
        for (int name = 0; name < 6; ++name) {
            ASSERT_EQ(document.find(keyName(key), names[name]),
                      RegistryValue::dword(static_cast<std::uint32_t>(key * 10 + name)))
                << key << " " << names[name];
        }
        EXPECT_FALSE(document.find(keyName(key), names[6]));
    }
    for (int key = 0; key < 300; key += 7) {
        document.set(keyName(key), "ина", RegistryValue::string("changed"));
        document.remove(keyName(key), "ива");
        document.set(keyName(key), names[6], RegistryValue::string("default"));
    }
    const RegDocument reread = parsed(document.serialize());
    for (int key = 0; key < 300; ++key) {
        for (const char* name : names) {
            EXPECT_EQ(document.find(keyName(key), name), reread.find(keyName(key), name))
                << key << " " << name;
        }
    }
    EXPECT_EQ(document.find(keyName(7), "Ина"), RegistryValue::string("changed"));
    EXPECT_FALSE(document.find(keyName(7), "Ива"));
    EXPECT_EQ(document.find(keyName(8), "Ива"), RegistryValue::dword(80));
}

}  // namespace
}  // namespace zorvik
