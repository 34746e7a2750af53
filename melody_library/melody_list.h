#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/install_folder.h"
#include "platform/status.h"

namespace zorvik {

// The file list File1: the "*.wav" files of one folder, at most one of them selected, and the
// keyboard's place in it (the entry the arrow keys go on from), which a refresh keeps. Whenever
// the folder shown holds the melody last clicked, that melody is the one selected: what the
// buttons act on is always in sight.
class MelodyList {
public:
    static constexpr std::string_view kPattern = install::kMelodyPattern;

    explicit MelodyList(const FileSystem& files) : files_(files) {}

    // The folder as last set, without a trailing backslash; "" before any folder was set.
    const std::string& Path() const { return path_; }
    // Reads the new folder; afterwards only the remembered melody is selected, where the folder
    // holds it. A folder that cannot be read fails and the list keeps the folder and entries it
    // had.
    Status setPath(std::string_view folder);
    // Points the list at `folder` as setPath() does, but leaves the reading to the next
    // Refresh(): the opening, whose first repaint follows at once, reads the folder once.
    void setPathAtNextRefresh(std::string_view folder) { pendingPath_ = std::string(folder); }
    // The selected entry's name, without folder; "" when nothing is selected.
    std::string FileName() const;
    // Shows the folder as it is now, selecting the remembered melody again. A folder that has
    // vanished gives an empty list, never a failure, since every repaint comes here.
    void Refresh();

    const std::vector<std::string>& entries() const { return entries_; }
    std::optional<std::size_t> selectedIndex() const { return selected_; }
    // The user's selection, which also becomes the keyboard's place; an index past the end
    // selects nothing.
    void select(std::optional<std::size_t> index);
    // The keyboard's place: after a refresh it is on the remembered melody where the folder holds
    // it, else it stays on the entry that was current, else nowhere.
    std::optional<std::size_t> currentIndex() const { return current_; }
    // The name of the melody to select after every read of the folder: the program gives the file
    // name of `s` when `s` lies in the folder shown, "" otherwise.
    void setRememberedName(std::function<std::string(std::string_view folder)> remembered) {
        remembered_ = std::move(remembered);
    }
    // Changes whenever the folder is set or the names change, so a view knows when to redraw.
    std::uint64_t revision() const { return revision_; }

private:
    void replaceEntries(std::vector<std::string> entries, std::optional<std::string> keepCurrent);
    void settlePlace();

    const FileSystem& files_;
    std::string path_;
    std::optional<std::string> pendingPath_;
    std::vector<std::string> entries_;
    std::optional<std::size_t> selected_;
    std::optional<std::size_t> current_;
    std::function<std::string(std::string_view)> remembered_;
    std::uint64_t revision_ = 0;
};

}  // namespace zorvik
