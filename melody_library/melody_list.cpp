#include "melody_library/melody_list.h"

#include "platform/windows_path.h"

namespace zorvik {

Status MelodyList::setPath(std::string_view folder) {
    std::string path(folder);
    // "C:\" stays as it is: there the backslash is the folder
    while (path.size() > 3 && winpath::endsWithSeparator(path)) {
        path.pop_back();
    }
    auto names = files_.listMelodies(path);
    if (!names.ok()) {
        return names.status();
    }
    path_ = std::move(path);
    entries_ = std::move(names).value();
    selected_.reset();
    ++revision_;
    return Status::success();
}

std::string MelodyList::FileName() const {
    return selected_ ? entries_[*selected_] : std::string();
}

void MelodyList::Refresh() {
    auto names = path_.empty() ? Result<std::vector<std::string>>(std::vector<std::string>{})
                               : files_.listMelodies(path_);
    std::vector<std::string> entries =
        names.ok() ? std::move(names).value() : std::vector<std::string>{};
    selected_.reset();
    // every repaint comes here: a view redraws the names only when they changed
    if (entries != entries_) {
        entries_ = std::move(entries);
        ++revision_;
    }
}

void MelodyList::select(std::optional<std::size_t> index) {
    selected_ = (index && *index < entries_.size()) ? index : std::nullopt;
}

}  // namespace zorvik
