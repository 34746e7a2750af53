#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_steps.h"
#include "platform/status.h"

// The file steps as messages between the user's process and the elevated one: each call one
// request, each answer the step's status and its result. Numbers are little-endian; a text or a
// block is its length and its bytes. Nothing in a message is trusted by the side that reads it:
// a message that does not read whole is refused.
namespace zorvik::elevated {

enum class StepCall : std::uint8_t {
    CheckRemovable = 1,
    CreateTemporary,
    WriteBlock,
    WriteHole,
    FinishTemporary,
    FlushTemporary,
    RenameIntoPlace,
    RemoveTemporary,
    LetGo,
    MoveInOneStep,
    KeepAside,
    PutBack,
    RemoveFile,
    SyncFolder,
    RemoveAbandonedTemporaries,
};

// No message is ever larger: a block of a copy and its frame. A larger one is refused unread.
inline constexpr std::uint32_t kLargestMessage = (1u << 20) + 64 * 1024;

class MessageWriter {
public:
    MessageWriter& number(std::uint64_t value);
    MessageWriter& flag(bool value);
    MessageWriter& text(std::string_view value);
    MessageWriter& status(const Status& value);
    MessageWriter& call(StepCall value);
    MessageWriter& facts(const ContentFacts& value);
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

class MessageReader {
public:
    explicit MessageReader(std::string_view bytes) : rest_(bytes) {}
    std::uint8_t byte();
    std::uint64_t number();
    bool flag();
    std::string text();
    // A text as a view into the message: for a block, not copied once more.
    std::string_view textView();
    Status status();
    ContentFacts facts();
    // Whether everything read so far was there and well formed, and nothing is left over.
    bool whole() const { return good_ && rest_.empty(); }
    bool good() const { return good_; }

private:
    std::string_view take(std::size_t count);

    std::string_view rest_;
    bool good_ = true;
};

// The pipe between the two: "\\.\pipe\Zorvik.Elevated.<process>.<serial>", made by the user's
// process whose id it names. Nothing else may be opened by the elevated one: a name that merely
// starts like it can leave the pipe namespace through "..", or reach a file or a network share.
std::string pipeNameOf(std::uint32_t process, std::uint64_t serial);
// The id of the process that made the pipe `name`, when the name is exactly of that form (digits
// only, as pipeNameOf writes them) and `processText` is that id as the command line gave it.
std::optional<std::uint32_t> ownPipeProcess(std::string_view name, std::string_view processText);

// The failure of a message that could not be read, or of a channel that broke.
Failure brokenExchange();

}  // namespace zorvik::elevated
