#include "settings/move_journal.h"

#include <array>
#include <charconv>

#include "settings/journal_text.h"

namespace zorvik::settings {

namespace {

constexpr std::array<std::string_view, 5> kFields = {"source", "destination", "kept", "copy",
                                                     "older"};

// "volume:index:size:modified", in decimal
std::string stampText(const FileStamp& stamp) {
    return std::to_string(stamp.identity.volume) + ":" + std::to_string(stamp.identity.index) +
           ":" + std::to_string(stamp.size) + ":" + std::to_string(stamp.modified);
}

std::optional<FileStamp> stampOf(std::string_view text) {
    std::uint64_t parts[4] = {};
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t part = 0; part < std::size(parts); ++part) {
        if (part > 0) {
            if (at == end || *at != ':') {
                return std::nullopt;
            }
            ++at;
        }
        const auto [next, error] = std::from_chars(at, end, parts[part]);
        if (error != std::errc() || next == at) {
            return std::nullopt;
        }
        at = next;
    }
    if (at != end) {
        return std::nullopt;
    }
    return FileStamp{{parts[0], parts[1]}, parts[2], parts[3]};
}

}  // namespace

std::string encodeMove(const MoveIntent& intent) {
    return journalLine(kFields[0], intent.source) + journalLine(kFields[1], intent.destination) +
           journalLine(kFields[2], intent.kept) + journalLine(kFields[3], stampText(intent.copy)) +
           journalLine(kFields[4], stampText(intent.older));
}

std::optional<MoveIntent> decodeMove(std::string_view text) {
    auto fields = journalFields(text, kFields);
    if (!fields || (*fields)[0].empty() || (*fields)[1].empty()) {
        return std::nullopt;
    }
    const auto copy = stampOf((*fields)[3]);
    const auto older = stampOf((*fields)[4]);
    if (!copy || !older) {
        return std::nullopt;
    }
    return MoveIntent{std::move((*fields)[0]), std::move((*fields)[1]), std::move((*fields)[2]),
                      *copy, *older};
}

}  // namespace zorvik::settings
