// The settling of a move that a kill cut short, by the move journal's record: only the very files
// the move made or kept aside are acted on.
#include <algorithm>
#include <vector>

#include "melody_library/melody_move.h"
#include "platform/windows_path.h"

namespace zorvik {

namespace {

constexpr std::size_t kCompareBlock = 1 << 20;

// Whether the two files hold the same bytes.
Result<bool> sameContent(FileSystem& files, std::string_view first, std::string_view second) {
    auto a = files.openToRead(first);
    auto b = files.openToRead(second);
    if (!a.ok() || !b.ok()) {
        return a.ok() ? b.failure() : a.failure();
    }
    const std::uint64_t size = a.value()->facts().size;
    if (size != b.value()->facts().size) {
        return false;
    }
    std::vector<char> left(kCompareBlock);
    std::vector<char> right(kCompareBlock);
    for (std::uint64_t offset = 0; offset < size;) {
        const auto got = a.value()->read(offset, left);
        if (!got.ok()) {
            return got.failure();
        }
        if (got.value() == 0) {
            return false;  // shorter than it said
        }
        std::size_t matched = 0;
        while (matched < got.value()) {
            const auto more = b.value()->read(offset + matched,
                                              std::span<char>(right).first(got.value() - matched));
            if (!more.ok()) {
                return more.failure();
            }
            if (more.value() == 0 ||
                !std::equal(right.begin(),
                            right.begin() + static_cast<std::ptrdiff_t>(more.value()),
                            left.begin() + static_cast<std::ptrdiff_t>(matched))) {
                return false;
            }
            matched += more.value();
        }
        offset += got.value();
    }
    return true;
}

}  // namespace

Status settleMove(FileSystem& files, FileSteps& steps, const MoveRecord& move) {
    const auto hostSource = files.hostPath(move.source);
    const auto hostDestination = files.hostPath(move.destination);
    if (!hostSource.ok() || !hostDestination.ok()) {
        return hostSource.ok() ? hostDestination.failure() : hostSource.failure();
    }
    const auto left = steps.inspect(hostSource.value(), LinkHandling::Itself);
    const auto there = steps.inspect(hostDestination.value(), LinkHandling::Itself);
    if (!left.ok() || !there.ok()) {
        return left.ok() ? there.failure() : left.failure();
    }
    // one file under both names (a hard link, a folder that leads to the other): no move of
    // this program's, and finishing it would delete the melody
    if (left.value().kind != EntryKind::Missing && there.value().kind != EntryKind::Missing &&
        left.value().identity == there.value().identity) {
        return Failure{ErrorCode::Corrupt, {}};
    }
    // only the copy this move made stands for it: an identical melody the user keeps in the
    // other folder, or today's file where a journal from a backup names yesterday's, is not it
    const bool copyThere =
        there.value().kind == EntryKind::File && there.value().stamp() == move.copy;
    bool sourceGone = left.value().kind == EntryKind::Missing;
    // a link moves in one step, never through a copy: only a file can be a source left behind
    if (left.value().kind == EntryKind::File && copyThere) {
        const auto same = sameContent(files, move.source, move.destination);
        if (!same.ok()) {
            return same.failure();
        }
        // the melody is whole at the destination, as the user asked; the move is finished
        if (same.value()) {
            if (Status removed = steps.removeFile(hostSource.value(), true); !removed.ok()) {
                return removed;
            }
            steps.syncFolder(std::string(winpath::folder(hostSource.value())));
            sourceGone = true;
        }
    }
    if (move.kept.empty()) {
        return Status::success();
    }
    const auto hostKept = files.hostPath(move.kept);
    if (!hostKept.ok()) {
        return hostKept.failure();
    }
    const auto aside = steps.inspect(hostKept.value(), LinkHandling::Itself);
    // what bears the kept name and is not the older namesake the move kept is no one's to touch
    if (!aside.ok() || aside.value().kind != EntryKind::File ||
        aside.value().stamp() != move.older) {
        return aside.status();
    }
    Status settled = Status::success();
    if (there.value().kind == EntryKind::Missing) {
        // the older namesake stepped aside and the copy never took its place
        settled = steps.putBack(hostKept.value(), hostDestination.value());
    } else if (there.value().identity == aside.value().identity || (sourceGone && copyThere)) {
        // a second name of the older one, which never left; or the move is whole, and the older
        // one was replaced as the user agreed
        settled = steps.removeFile(hostKept.value(), true);
    }
    // else something new stands at the destination: the older one stays where it is, for the
    // user, rather than replace what nobody asked to
    if (settled.ok()) {
        steps.syncFolder(std::string(winpath::folder(hostKept.value())));
    }
    return settled;
}

}  // namespace zorvik
