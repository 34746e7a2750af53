#include "melody_library/melody_list.h"

#include <utility>

#include "platform/windows_path.h"
#include "platform/windows_text.h"

namespace zorvik {

Status MelodyList::setPath(std::string_view folder) {
    pendingPath_.reset();
    std::string path(folder);
    // "C:\" stays as it is: there the backslash is the folder
    while (path.size() > 3 && winpath::endsWithSeparator(path)) {
        path.pop_back();
    }
    auto names = files_.listMelodies(path);
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

void MelodyList::Refresh() {
    if (pendingPath_) {
        const std::string pending = *std::exchange(pendingPath_, std::nullopt);
        if (setPath(pending).ok()) {
            return;
        }
    }
    auto names = path_.empty() ? Result<std::vector<std::string>>(std::vector<std::string>{})
                               : files_.listMelodies(path_);
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
    current_ = keepCurrent ? text::findFileName(entries_, *keepCurrent) : std::nullopt;
    settlePlace();
}

void MelodyList::settlePlace() {
    const std::string remembered = remembered_ ? remembered_(path_) : std::string();
    // a name in other case is the same file to Windows, and so the melody the buttons act on
    selected_ = remembered.empty() ? std::nullopt : text::findFileName(entries_, remembered);
    if (selected_) {
        current_ = selected_;
    }
}

void MelodyList::select(std::optional<std::size_t> index) {
    selected_ = (index && *index < entries_.size()) ? index : std::nullopt;
    if (selected_) {
        current_ = selected_;
    }
}

}  // namespace zorvik
