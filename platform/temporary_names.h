#pragma once

#include <string>
#include <string_view>

// The names of the files this program leaves beside a melody or the ring file while it works:
// a copy on its way (swept once no live writer holds it) and an older namesake kept aside
// during a move (never swept: the only copy of it, settled through the move's journal).
namespace zorvik::temporary_names {

inline constexpr std::string_view kCopyPrefix = ".zorvik-copy-";
inline constexpr std::string_view kKeptPrefix = ".zorvik-kept-";
inline constexpr std::string_view kSuffix = ".tmp";
// The letters and digits between prefix and suffix, at most.
inline constexpr std::size_t kLongestMark = 32;

// Whether `name` is one this program gives, exactly: the prefix, a mark of ASCII letters and
// digits, the suffix.
inline bool isGiven(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() + kSuffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(kSuffix)) {
        return false;
    }
    const std::string_view mark =
        name.substr(prefix.size(), name.size() - prefix.size() - kSuffix.size());
    if (mark.size() > kLongestMark) {
        return false;
    }
    for (const char ch : mark) {
        const bool alnum =
            (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
        if (!alnum) {
            return false;
        }
    }
    return true;
}

// Where a move keeps the older namesake while its copy waits under `copyName`: the same mark,
// so that the name is known, and journalled, before the file exists.
inline std::string keptNameFor(std::string_view copyName) {
    return std::string(kKeptPrefix) + std::string(copyName.substr(kCopyPrefix.size()));
}

}  // namespace zorvik::temporary_names
