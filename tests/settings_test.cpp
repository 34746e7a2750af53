#include <gtest/gtest.h>

#include "settings/conversions.h"
#include "settings/move_journal.h"
#include "settings/ring_choice_journal.h"
#include "settings/ring_record.h"
#include "settings/shell_object.h"
#include "settings/value_names.h"
#include "tests/support/fake_registry.h"

namespace zorvik::settings {
namespace {

using testing::FakeRegistry;

TEST(Conversions, ToA16BitIntegerTakesWholeNumbersInRangeOnly) {
    struct Case {
        Variant value;
        std::optional<std::int16_t> expected;
    };
    const Case cases[] = {
        {std::int32_t{0}, 0},         {std::int32_t{2}, 2},
        {std::int32_t{5}, 5},         {std::int32_t{-32768}, -32768},
        {std::int32_t{32767}, 32767}, {std::int32_t{32768}, {}},
        {std::int32_t{70000}, {}},    {std::int32_t{-1}, -1},
        {std::string("1"), 1},        {std::string(" 2 "), 2},
        {std::string("+1"), 1},       {std::string("-7"), -7},
        {std::string("70000"), {}},   {std::string("99999999999999999999"), {}},
        {std::string(""), {}},        {std::string("one"), {}},
        {std::string("1x"), {}},      {std::string("1.5"), {}},
        {std::string("+-5"), {}},     {std::string("-+5"), {}},
        {std::string("++5"), {}},     {std::string("--5"), {}},
        {std::string("+"), {}},       {std::string("-"), {}},
        {OtherValue{"hex"}, {}},
    };
    for (const auto& c : cases) {
        const auto converted = toInteger16(c.value, kAudio);
        ASSERT_EQ(converted.ok(), c.expected.has_value()) << ::testing::PrintToString(c.value);
        if (c.expected) {
            EXPECT_EQ(converted.value(), *c.expected);
        }
    }
}

TEST(Conversions, ToTextGivesStringsAsTheyAreAndNumbersInDigits) {
    EXPECT_EQ(toText(std::string("Звън.wav"), kRingSound).value(), "Звън.wav");
    EXPECT_EQ(toText(std::int32_t{42}, kRingSound).value(), "42");
    EXPECT_EQ(toText(std::int32_t{-1}, kRingSound).value(), "-1");
    EXPECT_FALSE(toText(OtherValue{"hex(7)"}, kRingSound).ok());
}

class ShellObjectTest : public ::testing::Test {
protected:
    FakeRegistry registry;
    ShellObject shell{registry};
};

TEST_F(ShellObjectTest, WritesDwordsAndStringsUnderTheSettingsKey) {
    ASSERT_TRUE(shell.RegWrite(kAudio, std::int16_t{1}, "REG_DWORD").ok());
    ASSERT_TRUE(shell.RegWrite(kInDeleted, std::int16_t{-1}, "REG_DWORD").ok());
    ASSERT_TRUE(shell.RegWrite(kRingSound, "Звън.wav").ok());
    ASSERT_TRUE(shell.RegWrite(kAudioPath, std::int16_t{7}, "REG_SZ").ok());
    EXPECT_EQ(registry.read("Zorvik\\Setings", "Audio").value(), RegistryValue::dword(1));
    EXPECT_EQ(registry.read("Zorvik\\Setings", "inDeleted").value(),
              RegistryValue::dword(0xFFFFFFFF));
    EXPECT_EQ(shell.RegRead(kInDeleted).value(), Variant(std::int32_t{-1}));
    EXPECT_EQ(shell.RegRead(kRingSound).value(), Variant(std::string("Звън.wav")));
    EXPECT_EQ(shell.RegRead("HKEY_CURRENT_USER\\Zorvik\\Setings\\AudioPath").value(),
              Variant(std::string("7")));
    EXPECT_FALSE(shell.RegWrite(kAudio, std::int16_t{1}, "REG_BINARY").ok());
}

TEST_F(ShellObjectTest, RefusesNamesOutsideTheCurrentUser) {
    const struct {
        const char* name;
        ErrorCode code;
    } rows[] = {{"HKLM\\Zorvik\\Setings\\Audio", ErrorCode::NotAvailable},
                {"Audio", ErrorCode::NotAvailable},
                {"HKCU\\Audio", ErrorCode::InvalidName},
                {"HKCU", ErrorCode::InvalidName}};
    for (const auto& [name, code] : rows) {
        EXPECT_EQ(shell.RegRead(name).status().code(), code) << name;
        EXPECT_EQ(shell.RegWrite(name, "x").code(), code) << name;
    }
}

TEST_F(ShellObjectTest, TheRingRecordChangesWholeOrNotAtAll) {
    registry.set("Zorvik\\Setings", "AudioPath", RegistryValue::string("C:\\Old"));
    RegistryShellFactory factory(registry);
    ShellHolder holder(factory);
    ASSERT_TRUE(holder.reg().ok());
    const auto before = readRingRecord(holder);
    ASSERT_TRUE(before.ok());
    EXPECT_EQ(before.value().audioPath, RegistryValue::string("C:\\Old"));
    EXPECT_FALSE(before.value().ringSound);

    registry.failWrites(1);
    EXPECT_FALSE(writeRingRecord(holder, "C:\\Rings", "a.wav").ok());
    EXPECT_EQ(registry.get("Zorvik\\Setings", "AudioPath"), RegistryValue::string("C:\\Old"));
    EXPECT_FALSE(registry.get("Zorvik\\Setings", "RingSound"));

    ASSERT_TRUE(writeRingRecord(holder, "C:\\Rings", "a.wav").ok());
    EXPECT_EQ(registry.get("Zorvik\\Setings", "RingSound"), RegistryValue::string("a.wav"));
    // putting the old record back removes the name that was not there
    ASSERT_TRUE(restoreRingRecord(holder, before.value()).ok());
    EXPECT_EQ(registry.get("Zorvik\\Setings", "AudioPath"), RegistryValue::string("C:\\Old"));
    EXPECT_FALSE(registry.get("Zorvik\\Setings", "RingSound"));

    // a damaged store, which the next write sets aside, holds no record anyone could read; one
    // that cannot be read for another reason is no record to go on from
    registry.setUnreadable(true, ErrorCode::Corrupt);
    const auto damaged = readRingRecord(holder);
    ASSERT_TRUE(damaged.ok());
    EXPECT_FALSE(damaged.value().audioPath || damaged.value().ringSound);
    registry.setUnreadable(true, ErrorCode::AccessDenied);
    EXPECT_FALSE(readRingRecord(holder).ok());
}

// Whatever the record held before a ring choice comes back from the choice's journal as it
// was, of its type, so that a start after a kill puts it back exactly; text that is not a whole
// journal is refused, never half read.
TEST(RingChoiceJournal, KeepsTheRecordAsItWasAndRefusesWhatItDidNotWrite) {
    RegistryValue expand = RegistryValue::string("%USERPROFILE%\\Мелодии");
    expand.type = RegistryValue::Type::ExpandString;
    const RegistryValue binary{RegistryValue::Type::Other, "hex(3)", 0};
    const RingRecord befores[] = {
        {std::nullopt, std::nullopt},
        {RegistryValue::string("C:\\Old\\"), RegistryValue::string("a\nb\\r\r.wav")},
        {expand, RegistryValue::dword(4294967295u)},
        {RegistryValue::string(""), RegistryValue::string("name=with:colons")},
        {RegistryValue{RegistryValue::Type::Other, "hex(7)", 0, {"a\0\xff\0", 4}},
         RegistryValue{RegistryValue::Type::Other, "hex", 0, {}}},
        {binary, RegistryValue::dword(0)},
    };
    for (const auto& before : befores) {
        RingChoiceIntent intent;
        intent.temporary = "C:\\Program Files\\Zorvik\\.zorvik-copy-1.tmp";
        intent.before = before;
        intent.folder = "C:\\Program Files\\Zorvik\\Rings\\Deleted";
        intent.name = "Звън.wav";
        const std::string text = encodeIntent(intent);
        EXPECT_EQ(decodeIntent(text), intent) << text;
        EXPECT_FALSE(decodeIntent(text.substr(0, text.size() - 1))) << "cut short";
    }
    const std::string whole = encodeIntent(RingChoiceIntent{"C:\\t", {}, "f", "n"});
    // every field there, one of them not as this program writes it (a text ending in an escape,
    // no temporary, a value of no known kind or a number that is none)
    const auto fields = [](std::string temporary, std::string audioPath, std::string ringSound) {
        return "temporary=" + temporary + "\nfolder=f\nname=n\naudio-path-before=" + audioPath +
               "\nring-sound-before=" + ringSound + "\n";
    };
    EXPECT_TRUE(decodeIntent(fields("t", "sz:", "dword:7")));
    for (const std::string& foreign :
         {std::string(), std::string("temporary=x\n"), std::string("garbage"),
          std::string("garbage\n") + whole, std::string("temporary=\\q\nfolder=\n"),
          "name=again\n" + whole, "colour=red\n" + whole,
          encodeIntent(RingChoiceIntent{"C:\\t", {}, std::string(32768, 'f'), "n"}),
          fields("t\\", "none:", "none:"), fields("", "none:", "none:"), fields("t", "sz", "none:"),
          fields("t", "none:Old", "none:"), fields("t", "dword:", "none:"),
          fields("t", "dword:12x", "none:"), fields("t", "dword:4294967296", "none:"),
          fields("t", "none:", "binary:1"),
          encodeIntent(RingChoiceIntent{
              "C:\\t",
              {RegistryValue{RegistryValue::Type::Other, "hex(7):00\n\"x\"=", 0, "0"}, {}},
              "f",
              "n"})}) {
        EXPECT_FALSE(decodeIntent(foreign)) << foreign;
    }
    // a move's journal, in the same form
    const MoveIntent move{"C:\\Rings\\a\nb\\r.wav", "D:\\Deleted\\a\nb\\r.wav", "D:\\k",
                          FileStamp{{1, 2}, 3, 4}, FileStamp{{5, UINT64_MAX}, 0, 7}};
    EXPECT_EQ(decodeMove(encodeMove(move)), move) << encodeMove(move);
    for (const std::string& foreign :
         {std::string(), std::string("source=x\nkept=\n"),
          std::string("source=x\ndestination=\nkept=\n"),
          std::string("source=\ndestination=y\nkept=\n"),
          std::string("source=x\ndestination=y\nkept="), "source=x\n" + encodeMove(move),
          std::string("source=x\ndestination=y\nkept=\ncopy=1:2:3\nolder=0:0:0:0\n"),
          std::string("source=x\ndestination=y\nkept=\ncopy=1:2:3:4\nolder=0:0:0:-1\n")}) {
        EXPECT_FALSE(decodeMove(foreign)) << foreign;
    }
    // nor a journal of another type than the string this program writes, whatever it holds
    FakeRegistry registry;
    RegistryShellFactory factory(registry);
    ShellHolder holder(factory);
    ASSERT_TRUE(holder.reg().ok());
    RegistryValue expanding = RegistryValue::string(whole);
    expanding.type = RegistryValue::Type::ExpandString;
    registry.set("Software\\Zorvik Melodies", "RingChoiceUnderWay", expanding);
    EXPECT_EQ(kRingChoiceJournal.pending(holder).status().code(), ErrorCode::Corrupt);
}

TEST(StatusChecks, AskingASuccessForItsFailureIsAFaultOfTheCaller) {
    const Status fine = Status::success();
    EXPECT_THROW((void)fine.failure(), std::logic_error);
    EXPECT_THROW((void)fine.code(), std::logic_error);
    const Result<int> number = 5;
    EXPECT_THROW((void)number.failure(), std::bad_variant_access);
    const Result<int> failed = Failure{ErrorCode::NotFound, "x"};
    EXPECT_THROW((void)failed.value(), std::bad_variant_access);
    EXPECT_EQ(failed.status().code(), ErrorCode::NotFound);
}

}  // namespace
}  // namespace zorvik::settings
