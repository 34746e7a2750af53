// The elevated process's side of the channel on arbitrary requests: the decoding, then the guard
// over steps that would carry out anything. Besides not crashing, nothing may reach those steps
// that the guard exists to keep out: a change outside the three places, through a link or a
// short alias, on a name Windows cannot hold, into a file the guard did not make, past the size
// a melody can have, or hidden. The command line's pipe name is read from the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/elevated/guarded_file_steps.h"
#include "platform/elevated/remote_file_steps.h"
#include "platform/elevated/step_protocol.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "tests/fuzz/finding.h"

namespace {

using namespace zorvik;

const std::string kInstall = "C:\\Program Files\\Zorvik";
const std::string kRings = kInstall + "\\Rings";
const std::string kDeleted = kRings + "\\Deleted";

// Steps that do whatever they are asked, and abort on what the guard should never let through.
// Names with "link" in them are links; a name with "~" is the short alias of "long name.wave".
class Unguarded final : public FileSteps {
public:
    Result<EntryFacts> inspect(const std::string& path, LinkHandling) override {
        EntryFacts facts;
        const std::string_view name = winpath::fileName(path);
        if (isPlace(path)) {
            facts.kind = EntryKind::Folder;
        } else if (name.find("link") != std::string_view::npos) {
            facts.kind = EntryKind::Link;
        } else if (name.find('~') != std::string_view::npos) {
            facts.kind = EntryKind::File;
            facts.ownPath = winpath::join(winpath::folder(path), "long name.wave");
        } else if (name.size() % 2 == 0) {
            facts.kind = EntryKind::File;
            facts.ownPath = path;
        }
        return facts;
    }
    Status checkRemovable(const std::string& path) override { return inPlace(path); }
    Result<std::string> createTemporary(const std::string& folder) override {
        fuzz::require(isPlace(folder));
        const std::string made =
            winpath::join(folder, ".zorvik-copy-" + std::to_string(made_.size()) + ".tmp");
        made_.insert(made);
        return made;
    }
    Status writeBlock(const std::string& temporary, std::uint64_t offset,
                      std::span<const char> bytes) override {
        return within(temporary, offset, bytes.size());
    }
    Status writeHole(const std::string& temporary, std::uint64_t offset,
                     std::uint64_t length) override {
        return within(temporary, offset, length);
    }
    Status finishTemporary(const std::string& temporary, const ContentFacts& facts, bool) override {
        fuzz::require((facts.attributes & (0x2 | 0x4)) == 0);  // neither hidden nor system
        return within(temporary, 0, facts.size);
    }
    Status flushTemporary(const std::string& temporary) override { return made(temporary); }
    Status renameIntoPlace(const std::string& temporary, const std::string& destination) override {
        (void)made(temporary);
        return inPlace(destination);
    }
    void removeTemporary(const std::string& temporary) override { (void)made(temporary); }
    void letGo(const std::string& temporary) override { (void)made(temporary); }
    Status moveInOneStep(const std::string& from, const std::string& to) override {
        (void)inPlace(from);
        return inPlace(to);
    }
    Result<KeptAside> keepAside(const std::string& destination,
                                const std::string& keptPath) override {
        (void)inPlace(destination);
        fuzz::require(winpath::folder(keptPath) == winpath::folder(destination));
        made_.insert(keptPath);
        return KeptAside{keptPath, false};
    }
    Status putBack(const std::string& kept, const std::string& destination) override {
        (void)made(kept);
        return inPlace(destination);
    }
    Status removeFile(const std::string& path, bool) override { return inPlace(path); }
    void syncFolder(const std::string& folder) override { fuzz::require(isPlace(folder)); }
    void removeAbandonedTemporaries(const std::string& folder) override { syncFolder(folder); }

private:
    static bool isPlace(const std::string& folder) {
        return text::equalsIgnoringCase(folder, kInstall) ||
               text::equalsIgnoringCase(folder, kRings) ||
               text::equalsIgnoringCase(folder, kDeleted);
    }
    static Status inPlace(const std::string& path) {
        const std::string_view name = winpath::fileName(path);
        fuzz::require(isPlace(std::string(winpath::folder(path))) &&
                      text::isValidWindowsName(name) &&
                      name.find("link") == std::string_view::npos &&
                      name.find('~') == std::string_view::npos);
        return Status::success();
    }
    Status made(const std::string& temporary) {
        fuzz::require(made_.contains(temporary));
        return Status::success();
    }
    Status within(const std::string& temporary, std::uint64_t offset, std::uint64_t length) {
        (void)made(temporary);
        fuzz::require(offset <= (std::uint64_t{1} << 33) &&
                      length <= (std::uint64_t{1} << 33) - offset);
        return Status::success();
    }

    std::set<std::string> made_;
};

}  // namespace

// Requests separated by the two bytes "\xff\xfe"; the text before the first request, split at a
// space, is a pipe name and a process id as a command line would give them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kSeparator = "\xff\xfe";
    std::size_t start = bytes.find(kSeparator);
    const std::string_view commandLine = bytes.substr(0, start);
    const std::size_t space = commandLine.find(' ');
    if (space != std::string_view::npos) {
        const std::string_view pipe = commandLine.substr(0, space);
        const std::string_view process = commandLine.substr(space + 1);
        if (const auto owner = elevated::ownPipeProcess(pipe, process)) {
            // what is accepted is exactly what the user's process makes
            const std::size_t dot = pipe.rfind('.');
            const auto serial =
                std::strtoull(std::string(pipe.substr(dot + 1)).c_str(), nullptr, 10);
            fuzz::require(elevated::pipeNameOf(*owner, serial) == pipe);
        }
    }
    Unguarded steps;
    elevated::GuardedFileSteps guard(steps, {kInstall, kRings, kDeleted, "Phone.wav"});
    while (start != std::string_view::npos) {
        start += kSeparator.size();
        const std::size_t end = bytes.find(kSeparator, start);
        (void)elevated::answerStep(guard, bytes.substr(start, end - start));
        start = end;
    }
    return 0;
}
