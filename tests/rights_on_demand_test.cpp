#include <gtest/gtest.h>

#include <functional>

#include "platform/elevated/guarded_file_steps.h"
#include "platform/elevated/remote_file_steps.h"
#include "platform/elevated/step_protocol.h"
#include "tests/support/form_fixture.h"
#include "tests/support/sound_files.h"
#include "texts/texts.h"

namespace zorvik {
namespace {

using testing::FakeElevation;
using testing::FormFixture;
using testing::WinPath;

constexpr const char* kQuestion =
    "Папката „C:\\Program Files\\Zorvik“ може да се променя само с права на администратор.\r\n"
    "Желаете ли да продължите като администратор? Windows ще поиска разрешение.";

class RightsOnDemand : public FormFixture, public ::testing::Test {
protected:
    void arrange() {
        files.remove(install);
        addMelody(rings, "x.wav", "the melody");
        addMelody(deleted, "old.wav", "old");
        writeFile(install / "Phone.wav", "previous ring");
        writeFile(elsewhere / "new.wav", testing::waveFile("new melody"));
        writeFile(elsewhere / "new.ogg", testing::fakeSound(2, 8000, 100));
        writeStore("\"RingSound\"=\"Звън.wav\"\n");
    }
    // Every melody, the ring file and the record, to compare the machine before and after.
    std::string machine() const {
        return listing(rings) + " | " + listing(deleted) + " | " + readFile(install / "Phone.wav") +
               " | " + storeText();
    }

    const WinPath elsewhere{"D:\\Elsewhere"};
};

// Where the install folder refuses the user's own rights, each action asks once, with the
// shield, and is made whole by the elevated process on consent; declined or failed, it leaves
// every file and the record as they were.
TEST_F(RightsOnDemand, EachActionAsksOnceAndIsWholeOrUndone) {
    const struct {
        const char* what;
        const char* title;
        std::function<void()> act;
        const char* ringsAfter;
        const char* deletedAfter;
        const char* ringAfter;
    } actions[] = {
        {"the ring choice", "Избор на мелодия...",
         [&] {
             clickEntry("x.wav");
             box.answer(kAnswerOk);
             form->Command2_Click();
         },
         "Deleted x.wav", "old.wav", "the melody"},
        {"adding a melody", "Добавяне на нова мелодия.",
         [&] {
             dialog.choose((elsewhere / "new.wav").text);
             box.answer(kAnswerOk);
             form->nm_Click();
         },
         "Deleted new.wav x.wav", "old.wav", "previous ring"},
        // decoded again from its start by the run with an administrator's rights
        {"converting a sound", "Добавяне на нова мелодия.",
         [&] {
             dialog.choose((elsewhere / "new.ogg").text);
             box.answer(kAnswerOk);
             form->nm_Click();
         },
         "Deleted new.wav x.wav", "old.wav", "previous ring"},
        {"a delete for good", "Потвърди изтриването",
         [&] {
             clickEntry("x.wav");
             box.answer(kAnswerOk);
             form->Command3_Click();
         },
         "Deleted", "old.wav", "previous ring"},
        {"a move into Deleted", "Потвърди изтриването",
         [&] {
             form->clickCheck2();
             clickEntry("x.wav");
             box.answer(kAnswerOk);
             form->Command3_Click();
         },
         "Deleted", "old.wav x.wav", "previous ring"},
        {"a restore", "Потвърди връщането",
         [&] {
             form->clickCheck2();
             form->pd_Click();
             clickEntry("old.wav");
             form->Command3_Click();
         },
         "Deleted old.wav x.wav", "", "previous ring"},
    };
    using Answer = FakeElevation::Answer;
    const char* refused = "достъпът е отказан";
    const char* notHad =
        "Правата на администратор за папката „C:\\Program Files\\Zorvik“ не могат да бъдат "
        "получени: програмата не се стартира. Нищо не е променено.";
    const struct {
        const char* what;
        bool guarded;    // the install folder is for administrators only
        bool available;  // rights can be asked for on this host
        int ourAnswer;   // to the question with the shield
        Answer system;   // at the system's consent prompt
        std::optional<int> answersBeforeGone;
        bool changed;
        int starts;
        const char* error;  // in the box, or nullptr for none
    } cases[] = {
        {"a writable folder asks nothing", false, true, kAnswerOk, Answer::Consent, std::nullopt,
         true, 0, nullptr},
        {"consent", true, true, kAnswerOk, Answer::Consent, std::nullopt, true, 1, nullptr},
        {"our question declined", true, true, kAnswerCancel, Answer::Consent, std::nullopt, false,
         0, nullptr},
        {"the system's prompt declined", true, true, kAnswerOk, Answer::Decline, std::nullopt,
         false, 1, nullptr},
        {"the elevated process never starts", true, true, kAnswerOk, Answer::FailToStart,
         std::nullopt, false, 1, notHad},
        {"the elevated process ends midway", true, true, kAnswerOk, Answer::Consent, 1, false, 1,
         "спря, без да довърши"},
        {"a host without elevation", true, false, kAnswerOk, Answer::Consent, std::nullopt, false,
         0, refused},
    };
    for (const auto& action : actions) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(action.what) + ", " + c.what);
            arrange();
            files.setForAdministratorsOnly(c.guarded
                                               ? std::vector{install.text, rings.text, deleted.text}
                                               : std::vector<std::string>{});
            elevation.availableHere = c.available;
            elevation.answer = c.system;
            elevation.answersBeforeGone = c.answersBeforeGone;
            elevation.starts = elevation.ends = 0;
            box.questions.clear();
            box.errors.clear();
            box.shielded = 0;
            open();
            const std::string before = machine();
            box.answerer = [&] { return std::optional<int>(c.ourAnswer); };
            action.act();
            box.answerer = nullptr;

            const bool asked = c.guarded && c.available;
            EXPECT_EQ(box.shielded, asked ? 1 : 0);
            if (asked) {
                EXPECT_EQ(box.questions.back().message, kQuestion);
                EXPECT_EQ(box.questions.back().title, action.title);
            }
            EXPECT_EQ(elevation.starts, c.starts);
            // a run that started ends with its action
            EXPECT_EQ(elevation.ends, c.system == Answer::Consent ? c.starts : 0);
            if (c.changed) {
                EXPECT_EQ(listing(rings), action.ringsAfter);
                EXPECT_EQ(listing(deleted), action.deletedAfter);
                EXPECT_EQ(readFile(install / "Phone.wav"), action.ringAfter);
            } else {
                EXPECT_EQ(machine(), before);
            }
            if (c.error == nullptr) {
                EXPECT_TRUE(box.errors.empty()) << box.errors.front().message;
            } else {
                ASSERT_EQ(box.errors.size(), 1u);
                EXPECT_NE(box.errors[0].message.find(c.error), std::string::npos)
                    << box.errors[0].message;
            }
            files.remove(install);
        }
    }
}

// The elevated process acts for a less trusted one: only on the melodies, the ring file and its
// own temporaries in the install folder, and never on a request that does not read whole.
TEST_F(RightsOnDemand, TheElevatedSideRefusesAnythingButItsOwnPlaces) {
    using elevated::MessageWriter;
    using elevated::StepCall;
    arrange();
    writeFile(driveC / "Windows" / "system.wav", "system");
    writeFile(install / ".zorvik-copy-0123.tmp", "left by a killed copy");
    writeFile(driveC / "Windows" / ".zorvik-copy-1.tmp", "another program's");
    elevated::GuardedFileSteps guard(files.administratorSteps(),
                                     {install.text, rings.text, deleted.text, "Phone.wav"});
    const auto answered = [&](const std::string& request) {
        const std::string answer = elevated::answerStep(guard, request);
        return elevated::MessageReader(answer).status();
    };
    const auto own = guard.createTemporary(rings.text);
    ASSERT_TRUE(own.ok());
    const std::string system = (driveC / "Windows" / "system.wav").text;
    // a request of texts, and a flag where the call takes one last
    const auto request = [](StepCall call, std::initializer_list<std::string> texts,
                            std::optional<bool> flag = std::nullopt) {
        MessageWriter writer;
        writer.call(call);
        for (const std::string& each : texts) {
            writer.text(each);
        }
        if (flag) {
            writer.flag(*flag);
        }
        return writer.take();
    };
    const auto removal = [&](const WinPath& path) {
        return request(StepCall::RemoveFile, {path.text}, false);
    };
    const auto hole = [](const std::string& path, std::uint64_t offset) {
        return MessageWriter().call(StepCall::WriteHole).text(path).number(offset).number(1).take();
    };
    const auto finish = [&](std::uint64_t size, std::uint64_t attributes,
                            const std::string& temporary) {
        // the facts as written on the wire, the attributes past what a message may carry too
        const std::string facts =
            MessageWriter().facts({.size = size, .readOnly = true, .identity = {}}).take();
        return MessageWriter().call(StepCall::FinishTemporary).text(temporary).take() +
               facts.substr(0, 24) + MessageWriter().number(attributes).take() + facts.substr(32) +
               MessageWriter().flag(false).take();
    };
    const std::string old = (deleted / "old.wav").text;
    const std::string keptOld = (deleted / ".zorvik-kept-0b.tmp").text;
    const std::size_t flagAt = removal(deleted / "old.wav").size() - 1;
    const std::string block = MessageWriter()
                                  .call(StepCall::WriteBlock)
                                  .text((deleted / "old.wav").text)
                                  .number(0)
                                  .text("x")
                                  .take();
    using enum failure_text::Detail;
    const struct {
        const char* what;
        std::string request;
        bool done;
        std::optional<failure_text::Detail> why = std::nullopt;  // each refusal says its own
        std::function<void()> arrange = {};
    } rows[] = {
        {"a melody deleted", removal(rings / "x.wav"), true},
        {"a file outside", removal(driveC / "Windows" / "system.wav"), false, NotAMelodyPlace},
        {"the ring file deleted", removal(install / "Phone.wav"), false, OutsideMelodyFolders},
        {"a melody through a dot-dot", removal(rings / ".." / "Rings" / "x.wav"), false},
        {"a name Windows cannot hold", removal(rings / "con.wav"), false},
        {"not a melody", removal(install / "Rings.txt"), false},
        {"a temporary in a folder outside",
         request(StepCall::CreateTemporary, {(driveC / "Windows").text}), false},
        {"a melody moved out",
         request(StepCall::MoveInOneStep, {(deleted / "old.wav").text, system}), false},
        {"a file outside moved in",
         request(StepCall::MoveInOneStep, {system, (rings / "s.wav").text}), false},
        {"a file it did not make written", block, false, NotItsOwnFile},
        {"its own temporary written far beyond any melody",
         MessageWriter()
             .call(StepCall::WriteBlock)
             .text(own.value())
             .number(std::uint64_t{1} << 40)
             .text("x")
             .take(),
         false, LargerThanAMelody},
        {"a hole in its own temporary far beyond any melody", hole(own.value(), 1ull << 40), false},
        {"a hole in a file it did not make", hole((deleted / "old.wav").text, 0), false},
        {"a file it did not make finished", finish(0, 0, old), false, NotItsOwnFile},
        {"a file it did not make flushed", request(StepCall::FlushTemporary, {old}), false,
         NotItsOwnFile},
        {"a file it did not make renamed into place",
         request(StepCall::RenameIntoPlace, {old, (rings / "y.wav").text}), false, NotItsOwnFile},
        {"a file outside asked whether it may go", request(StepCall::CheckRemovable, {system}),
         false, NotAMelodyPlace},
        {"an older melody kept under a name it never gives",
         request(StepCall::KeepAside, {(deleted / "old.wav").text, (deleted / "old.bak").text}),
         false},
        {"an older melody kept in another folder",
         request(StepCall::KeepAside,
                 {(deleted / "old.wav").text, (rings / ".zorvik-kept-0a.tmp").text}),
         false},
        {"a file outside kept aside",
         request(StepCall::KeepAside, {system, (driveC / "Windows" / ".zorvik-kept-0a.tmp").text}),
         false},
        // answered, as every removal of a temporary is, and nothing done (the listing below)
        {"a melody removed as its temporary",
         request(StepCall::RemoveTemporary, {(deleted / "old.wav").text}), true},
        {"a file it did not keep put back",
         request(StepCall::PutBack, {(deleted / "old.wav").text, (rings / "x.wav").text}), false},
        {"a copy's leftover removed", removal(install / ".zorvik-copy-0123.tmp"), true},
        {"a user's file named as a leftover starts", removal(install / ".zorvik-copy-1.txt"), false,
         OutsideMelodyFolders, [&] { writeFile(install / ".zorvik-copy-1.txt", "the user's"); }},
        {"a user's file named as a leftover ends", removal(install / "notes.tmp"), false,
         OutsideMelodyFolders, [&] { writeFile(install / "notes.tmp", "the user's"); }},
        {"its own temporary renamed outside",
         request(StepCall::RenameIntoPlace, {own.value(), system}), false},
        {"a request cut short", request(StepCall::RemoveFile, {(deleted / "old.wav").text}), false},
        {"an unknown call", request(StepCall{99}, {(deleted / "old.wav").text}, false), false},
        {"a flag neither set nor clear", removal(deleted / "old.wav").replace(flagAt, 1, "\2"),
         false},
        {"a text longer than the request",
         MessageWriter().call(StepCall::RemoveFile).number(1 << 20).take() + "x", false},
        {"a request with a byte left over", removal(deleted / "old.wav") + "x", false},
        {"its own temporary finished larger than any melody", finish(1ull << 40, 0, own.value()),
         false, LargerThanAMelody},
        {"its own temporary finished with attributes past 32 bits",
         finish(0, 1ull << 32, own.value()), false},
        {"its own temporary finished read-only, every attribute asked",
         finish(0, 0xFFFFFFFF, own.value()), true},
        {"an older melody it kept put back", request(StepCall::PutBack, {keptOld, old}), true,
         std::nullopt,
         [&] {
             ASSERT_TRUE(answered(request(StepCall::KeepAside, {old, keptOld})).ok());
         }},
        {"leftovers swept in a folder outside",
         request(StepCall::RemoveAbandonedTemporaries, {(driveC / "Windows").text}), true},
        {"its own temporary over the ring file",
         request(StepCall::RenameIntoPlace, {own.value(), (install / "Phone.wav").text}), true},
        // the guard's own look, whatever the steps below it would do with a link
        {"a melody that is a link", removal(rings / "link.wav"), false, LinkNotActedOnItself,
         [&] {
             addMelody(rings, "link.wav");
             files.markAsLink((rings / "link.wav").text);
         }},
        {"a temporary in a place that is a link",
         request(StepCall::CreateTemporary, {install.text}), false, NotAMelodyPlace,
         [&] { files.markAsLink(install.text); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.arrange) {
            row.arrange();
        }
        const std::string before = machine() + readFile(driveC / "Windows" / "system.wav");
        const Status status = answered(row.request);
        EXPECT_EQ(status.ok(), row.done);
        if (!row.done) {
            EXPECT_EQ(machine() + readFile(driveC / "Windows" / "system.wav"), before);
            // the files below refuse with no reason of their own: the guard (or the framing) must
            // refuse first, since the real steps below would not refuse everything the fake does
            EXPECT_FALSE(status.failure().message.empty());
            if (row.why) {
                EXPECT_EQ(status.failure().message, texts::reason(*row.why));
            }
        }
    }
    EXPECT_EQ(listing(rings), "Deleted link.wav") << "the melody deleted, nothing else";
    EXPECT_TRUE(files.isFile((install / "Phone.wav").text));
    EXPECT_EQ(readFile(install / "Phone.wav"), "") << "the temporary, empty, is the ring file";
    EXPECT_EQ(listing(deleted), "old.wav") << "the older melody back under its name";
    // As large as a RIFF file can be, a copy passes the guard to the files below (here, with
    // its temporary taken away, they write nothing and say nothing); a byte more, it does not.
    const std::string gone = guard.createTemporary(rings.text).value();
    files.remove(gone);
    constexpr std::uint64_t kLargest = (std::uint64_t{1} << 32) + 8;
    const auto why = [&](const std::string& asked) { return answered(asked).failure().message; };
    EXPECT_EQ(why(finish(kLargest, 0, gone)), "");
    EXPECT_EQ(why(finish(kLargest + 1, 0, gone)), texts::reason(LargerThanAMelody));
    EXPECT_EQ(
        why(MessageWriter().call(StepCall::WriteBlock).text(gone).number(kLargest).text("").take()),
        "");
    EXPECT_EQ(readFile(driveC / "Windows" / ".zorvik-copy-1.tmp"), "another program's");
    // It opens only a pipe named exactly as its parent names it, for the id its command line
    // gives: a name that merely starts alike can lead out of the pipe namespace.
    const std::string pipe = "\\\\.\\pipe\\Zorvik.Elevated.";
    const struct {
        std::string name;
        const char* process;
        std::optional<std::uint32_t> owner;
    } pipes[] = {
        {elevated::pipeNameOf(4242, 7), "4242", 4242},
        {pipe + "4294967295.18446744073709551615", "4294967295", 4294967295u},
        {pipe + "4294967296.1", "4294967296", {}},  // cut to 32 bits, another process
        {pipe + "4294971538.1", "4294971538", {}},  // 4242 once cut to 32 bits
        {pipe + "4242.18446744073709551616", "4242", {}},
        {pipe + "123456789012345678901.1", "123456789012345678901", {}},
        {pipe + "0.1", "0", {}},
        {pipe + "04242.1", "04242", {}},
        {pipe + "4242.01", "4242", {}},
        {pipe + "4242.", "4242", {}},
        {pipe + "4242.1x", "4242", {}},
        {pipe + "42/2.1", "42/2", {}},
        {pipe + "4242.1", "4243", {}},
        {pipe + "4242", "4242", {}},
        {pipe + "4242.1\\..\\..\\C:\\x", "4242", {}},
        {"\\\\.\\pipe\\Other.4242.1", "4242", {}},
        {"\\\\.\\pipe\\Zorvik.Elevatex.4242.1", "4242", {}},  // as long, one letter off
    };
    for (const auto& [name, process, owner] : pipes) {
        EXPECT_EQ(elevated::ownPipeProcess(name, process), owner) << name;
    }
    // A client that asks for more files than a move needs is refused, a kept name it let go
    // counting as one; what it did not place goes when it ends.
    const struct {
        const char* what;
        std::function<Status(elevated::GuardedFileSteps&, int)> make;
    } bounds[] = {
        {"copies", [&](auto& steps, int) { return steps.createTemporary(deleted.text).status(); }},
        {"kept names let go",
         [&](auto& steps, int made) {
             const std::string kept =
                 (deleted / (".zorvik-kept-" + std::to_string(made) + ".tmp")).text;
             const auto aside = steps.keepAside((deleted / "old.wav").text, kept);
             steps.letGo(kept);
             return aside.status();
         }},
    };
    for (const auto& bound : bounds) {
        SCOPED_TRACE(bound.what);
        {
            elevated::GuardedFileSteps ended(files.administratorSteps(),
                                             {install.text, rings.text, deleted.text, "Phone.wav"});
            int made = 0;
            Status last;
            while (made < 12 && (last = bound.make(ended, made)).ok()) {
                ++made;
            }
            // a copy and a kept-aside namesake at a time, with room for as many again
            ASSERT_EQ(made, 4) << "a client that asks for more is refused";
            EXPECT_EQ(last.failure().message, texts::reason(TooManyAtOnce));
        }
        EXPECT_EQ(listing(deleted), "old.wav");
        EXPECT_EQ(readFile(deleted / "old.wav"), "old");
    }
    // Nor does it take, when it ends, what is not its own, or what is all that is left of a
    // melody: another's copy, or the older one it kept aside whose place a copy then took.
    writeFile(deleted / ".zorvik-copy-9.tmp", "another's");
    {
        elevated::GuardedFileSteps ended(files.administratorSteps(),
                                         {install.text, rings.text, deleted.text, "Phone.wav"});
        const auto copy = ended.createTemporary(deleted.text);
        const std::string kept = (deleted / ".zorvik-kept-9.tmp").text;
        ASSERT_TRUE(copy.ok() && ended.keepAside((deleted / "old.wav").text, kept).ok());
        ASSERT_TRUE(ended.renameIntoPlace(copy.value(), (deleted / "old.wav").text).ok());
    }
    EXPECT_EQ(listing(deleted), ".zorvik-copy-9.tmp .zorvik-kept-9.tmp old.wav");
    EXPECT_EQ(readFile(deleted / ".zorvik-kept-9.tmp"), "old");
}

// An elevated process that ends after its change, before it could say so, leaves the action
// made: the record names the melody the ring file now holds, and a move is no failure.
TEST_F(RightsOnDemand, AChangeWhoseAnswerWasLostIsTakenAsMade) {
    const struct {
        const char* what;
        int answersBefore;  // the requests answered before the change that is not
        std::function<void()> act;
        const char* ringsAfter;
        const char* deletedAfter;
        const char* ringAfter;
    } rows[] = {
        // the sweep, the temporary, its content, its end, its flush, then the rename
        {"the ring choice", 5, [&] { chooseRing("x.wav"); }, "Deleted x.wav", "old.wav",
         "the melody"},
        // the sweeps of both folders, the check that the melody may go, then the rename
        {"a move into Deleted", 3,
         [&] {
             form->clickCheck2();
             removeEntry("x.wav");
         },
         "Deleted", "old.wav x.wav", "previous ring"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        arrange();
        files.setForAdministratorsOnly({install.text, rings.text, deleted.text});
        elevation.availableHere = true;
        elevation.answersBeforeGone = row.answersBefore;
        elevation.lastCarriedOut = true;
        box.errors.clear();
        open();
        box.answerer = [] { return std::optional<int>(kAnswerOk); };
        row.act();
        box.answerer = nullptr;
        EXPECT_EQ(listing(rings), row.ringsAfter);
        EXPECT_EQ(listing(deleted), row.deletedAfter);
        EXPECT_EQ(readFile(install / "Phone.wav"), row.ringAfter);
        if (std::string(row.ringAfter) == "the melody") {
            EXPECT_NE(storeText().find("\"RingSound\"=\"x.wav\""), std::string::npos)
                << storeText();
        }
        EXPECT_TRUE(box.errors.empty()) << box.errors.front().message;
        files.remove(install);
    }
}

}  // namespace
}  // namespace zorvik
