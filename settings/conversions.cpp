#include "settings/conversions.h"

#include <array>
#include <charconv>
#include <limits>

#include "settings/value_names.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::settings {

namespace {

Failure notConvertible(std::string_view fullName, std::string_view why) {
    return failure_text::settingReadFailed(ErrorCode::Unsupported, fullName, why);
}

Result<std::int16_t> fromWholeNumber(std::string_view text, std::string_view fullName) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    // one sign at most: from_chars takes a minus but not a plus, so "+-5" must not reach it
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return notConvertible(fullName, texts::kNotWholeNumber);
        }
    }
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size()) {
        return notConvertible(fullName, texts::kNotWholeNumber);
    }
    if (error == std::errc::result_out_of_range ||
        number < std::numeric_limits<std::int16_t>::min() ||
        number > std::numeric_limits<std::int16_t>::max()) {
        return notConvertible(fullName, texts::kOutOfShortRange);
    }
    return static_cast<std::int16_t>(number);
}

}  // namespace

Result<std::int16_t> toInteger16(const Variant& value, std::string_view fullName) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        if (*number < std::numeric_limits<std::int16_t>::min() ||
            *number > std::numeric_limits<std::int16_t>::max()) {
            return notConvertible(fullName, texts::kOutOfShortRange);
        }
        return static_cast<std::int16_t>(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return fromWholeNumber(*text, fullName);
    }
    return notConvertible(
        fullName, failure_text::filled(texts::kValueOfType, {std::get<OtherValue>(value).type}));
}

Result<std::string> toText(const Variant& value, std::string_view fullName) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return std::to_string(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return notConvertible(
        fullName, failure_text::filled(texts::kValueOfType, {std::get<OtherValue>(value).type}));
}

namespace {

Result<Variant> readThroughShell(const ShellHolder& holder, std::string_view fullName) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    return holder.WSHShell()->RegRead(fullName);
}

}  // namespace

Result<std::int16_t> readOption(const ShellHolder& holder, std::string_view fullName) {
    const auto value = readThroughShell(holder, fullName);
    return value.ok() ? toInteger16(value.value(), fullName) : value.failure();
}

Result<std::string> readText(const ShellHolder& holder, std::string_view fullName) {
    const auto value = readThroughShell(holder, fullName);
    return value.ok() ? toText(value.value(), fullName) : value.failure();
}

Status writeOptions(const ShellHolder& holder, std::int16_t audio, std::int16_t inDeleted) {
    const std::array<ShellObject::NamedValue, 2> options{{
        {kAudio, dwordOf(audio)},
        {kInDeleted, dwordOf(inDeleted)},
    }};
    return writeTogether(holder, options);
}

}  // namespace zorvik::settings
