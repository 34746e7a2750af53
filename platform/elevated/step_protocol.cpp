#include "platform/elevated/step_protocol.h"

#include <limits>

#include "texts/failure_text.h"

namespace zorvik::elevated {

namespace {

// the failure codes as numbers on the wire: the last one a message may carry
constexpr auto kLastCode = static_cast<std::uint64_t>(ErrorCode::NothingToDo);

}  // namespace

MessageWriter& MessageWriter::number(std::uint64_t value) {
    for (int byte = 0; byte < 8; ++byte) {
        bytes_.push_back(static_cast<char>((value >> (8 * byte)) & 0xFF));
    }
    return *this;
}

MessageWriter& MessageWriter::flag(bool value) {
    bytes_.push_back(value ? '\1' : '\0');
    return *this;
}

MessageWriter& MessageWriter::text(std::string_view value) {
    number(value.size());
    bytes_.append(value);
    return *this;
}

MessageWriter& MessageWriter::status(const Status& value) {
    flag(value.ok());
    if (!value.ok()) {
        number(static_cast<std::uint64_t>(value.code()));
        text(value.failure().message);
    }
    return *this;
}

MessageWriter& MessageWriter::call(StepCall value) {
    bytes_.push_back(static_cast<char>(value));
    return *this;
}

MessageWriter& MessageWriter::facts(const ContentFacts& value) {
    return number(value.size)
        .number(value.modified)
        .number(value.accessed)
        .number(value.attributes)
        .flag(value.readOnly)
        .number(value.identity.volume)
        .number(value.identity.index);
}

std::string_view MessageReader::take(std::size_t count) {
    if (!good_ || rest_.size() < count) {
        good_ = false;
        return {};
    }
    const std::string_view taken = rest_.substr(0, count);
    rest_.remove_prefix(count);
    return taken;
}

std::uint8_t MessageReader::byte() {
    const std::string_view taken = take(1);
    return taken.empty() ? 0 : static_cast<std::uint8_t>(taken[0]);
}

std::uint64_t MessageReader::number() {
    const std::string_view bytes = take(8);
    std::uint64_t value = 0;
    for (std::size_t at = bytes.size(); at-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at]);
    }
    return value;
}

bool MessageReader::flag() {
    const std::string_view byte = take(1);
    if (!byte.empty() && byte[0] != '\0' && byte[0] != '\1') {
        good_ = false;
    }
    return byte == std::string_view("\1", 1);
}

std::string_view MessageReader::textView() {
    const std::uint64_t length = number();
    if (length > rest_.size()) {
        good_ = false;
        return {};
    }
    return take(static_cast<std::size_t>(length));
}

std::string MessageReader::text() {
    return std::string(textView());
}

Status MessageReader::status() {
    if (flag()) {
        return Status::success();
    }
    const std::uint64_t code = number();
    std::string message = text();
    if (!good_ || code > kLastCode) {
        good_ = false;
        return brokenExchange();
    }
    return Failure{static_cast<ErrorCode>(code), std::move(message)};
}

ContentFacts MessageReader::facts() {
    ContentFacts facts;
    facts.size = number();
    facts.modified = number();
    facts.accessed = number();
    const std::uint64_t attributes = number();
    facts.attributes = static_cast<std::uint32_t>(attributes);
    if (attributes > std::numeric_limits<std::uint32_t>::max()) {
        good_ = false;
    }
    facts.readOnly = flag();
    facts.identity.volume = number();
    facts.identity.index = number();
    return facts;
}

namespace {

constexpr std::string_view kPipePrefix = "\\\\.\\pipe\\Zorvik.Elevated.";

// A number as pipeNameOf writes it: digits, no sign, no leading zero, within `largest`.
std::optional<std::uint64_t> canonicalNumber(std::string_view digits, std::uint64_t largest) {
    if (digits.empty() || digits.size() > 20 || (digits.size() > 1 && digits[0] == '0')) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        const auto units = static_cast<std::uint64_t>(digit - '0');
        if (value > (largest - units) / 10) {
            return std::nullopt;
        }
        value = value * 10 + units;
    }
    return value;
}

}  // namespace

std::string pipeNameOf(std::uint32_t process, std::uint64_t serial) {
    return std::string(kPipePrefix) + std::to_string(process) + "." + std::to_string(serial);
}

std::optional<std::uint32_t> ownPipeProcess(std::string_view name, std::string_view processText) {
    if (!name.starts_with(kPipePrefix)) {
        return std::nullopt;
    }
    name.remove_prefix(kPipePrefix.size());
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || name.substr(0, dot) != processText) {
        return std::nullopt;
    }
    const auto process = canonicalNumber(processText, std::numeric_limits<std::uint32_t>::max());
    if (!process || *process == 0 ||
        !canonicalNumber(name.substr(dot + 1), std::numeric_limits<std::uint64_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*process);
}

Failure brokenExchange() {
    return failure_text::because(ErrorCode::Other, failure_text::Detail::ElevatedRunGone);
}

}  // namespace zorvik::elevated
