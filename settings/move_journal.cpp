#include "settings/move_journal.h"

#include <array>

#include "settings/journal_text.h"

namespace zorvik::settings {

namespace {

constexpr std::array<std::string_view, 3> kFields = {"source", "destination", "kept"};

}  // namespace

std::string encodeMove(const MoveIntent& intent) {
    return journalLine(kFields[0], intent.source) + journalLine(kFields[1], intent.destination) +
           journalLine(kFields[2], intent.kept);
}

std::optional<MoveIntent> decodeMove(std::string_view text) {
    auto fields = journalFields(text, kFields);
    if (!fields || (*fields)[0].empty() || (*fields)[1].empty()) {
        return std::nullopt;
    }
    return MoveIntent{std::move((*fields)[0]), std::move((*fields)[1]), std::move((*fields)[2])};
}

}  // namespace zorvik::settings
