#include "melody_library/melody_list.h"

#include <algorithm>

#include "platform/windows_path.h"

namespace zorvik {

Status MelodyList::setPath(std::string_view folder) {
    std::string path(folder);
    // "C:\" stays as it is: there the backslash is the folder
    while (path.size() > 3 && winpath::endsWithSeparator(path)) {
        path.pop_back();
    }
    auto names = read(path);
    if (!names.ok()) {
        return names.status();
    }
    const bool sameFolder = winpath::samePath(path, path_);
    path_ = std::move(path);
    // a new folder has no entry that was current there
    replaceEntries(std::move(names).value(),
                   sameFolder && current_ ? std::optional(entries_[*current_]) : std::nullopt);
    ++revision_;
    return Status::success();
}

std::string MelodyList::FileName() const {
    return selected_ ? entries_[*selected_] : std::string();
}

Result<std::vector<std::string>> MelodyList::read(const std::string& folder) {
    // watched from before the reading, so that no change can slip in between
    shortcut_.beforeReading(folder);
    auto names = files_.listMelodies(folder);
    if (!names.ok()) {
        shortcut_.forget();
    }
    return names;
}

void MelodyList::Refresh() {
    if (shortcut_.provesUnchanged()) {
        // the entries are what a new read would give: only the selection and place settle
        settlePlace();
        return;
    }
    auto names =
        path_.empty() ? Result<std::vector<std::string>>(std::vector<std::string>{}) : read(path_);
    std::vector<std::string> entries =
        names.ok() ? std::move(names).value() : std::vector<std::string>{};
    // every repaint comes here: a view redraws the names only when they changed
    if (entries != entries_) {
        ++revision_;
    }
    replaceEntries(std::move(entries),
                   current_ ? std::optional(entries_[*current_]) : std::nullopt);
}

void MelodyList::replaceEntries(std::vector<std::string> entries,
                                std::optional<std::string> keepCurrent) {
    entries_ = std::move(entries);
    current_ = keepCurrent ? indexOf(*keepCurrent) : std::nullopt;
    settlePlace();
}

void MelodyList::settlePlace() {
    selected_.reset();
    if (!current_ && remembered_) {
        const std::string name = remembered_(path_);
        current_ = name.empty() ? std::nullopt : indexOf(name);
    }
}

std::optional<std::size_t> MelodyList::indexOf(std::string_view name) const {
    // the entries are sorted ignoring case, but the exact name is what is wanted
    const auto found = std::find(entries_.begin(), entries_.end(), name);
    if (found == entries_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - entries_.begin());
}

void MelodyList::select(std::optional<std::size_t> index) {
    selected_ = (index && *index < entries_.size()) ? index : std::nullopt;
    if (selected_) {
        current_ = selected_;
    }
}

}  // namespace zorvik
