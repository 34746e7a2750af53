#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_steps.h"
#include "platform/win32/win32_errors.h"

namespace zorvik::win32 {

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The primitive steps through the wide-character API. A temporary is held open without
// FILE_SHARE_DELETE from its creation to its rename (made through that handle), so that no
// sweep by another instance can take it. Paths are Windows' own, in UTF-8.
class Win32FileSteps : public FileSteps {
public:
    Result<EntryFacts> inspect(const std::string& path, LinkHandling links) override;
    Status checkRemovable(const std::string& path) override;
    Result<std::string> createTemporary(const std::string& folder) override;
    Status writeBlock(const std::string& temporary, std::uint64_t offset,
                      std::span<const char> bytes) override;
    Status writeHole(const std::string& temporary, std::uint64_t offset,
                     std::uint64_t length) override;
    Status finishTemporary(const std::string& temporary, const ContentFacts& facts,
                           bool keepReadOnly) override;
    Status flushTemporary(const std::string& temporary) override;
    Status renameIntoPlace(const std::string& temporary, const std::string& destination) override;
    void removeTemporary(const std::string& temporary) override;
    void letGo(const std::string& temporary) override;
    Status moveInOneStep(const std::string& from, const std::string& to) override;
    Result<KeptAside> keepAside(const std::string& destination, const std::string& kept) override;
    Status putBack(const std::string& kept, const std::string& destination) override;
    Status removeFile(const std::string& path, bool evenReadOnly) override;
    void syncFolder(const std::string& folder) override;
    void removeAbandonedTemporaries(const std::string& folder) override;

    // A folder held open (`handle`) under its path as the steps are given it.
    struct Place {
        std::wstring folder;
        HANDLE handle;
    };
    // From now on every rename and second name lands in one of `places`, named relative to its
    // handle; anywhere else is refused. For the elevated process, whose places are held.
    void renameOnlyInto(std::vector<Place> places);

protected:
    // Marks the open file `entry`, at `path`, to go once its handles close: 0 or the Win32 error.
    virtual DWORD markForRemoval(HANDLE entry, const std::string& path);

private:
    struct Held {
        Handle handle;
        bool sparse = false;
        // a moved file, which keeps what it had rather than what a file it replaces had
        bool moved = false;
    };
    // The temporary's hold; nullptr when this process holds no such file.
    Held* held(const std::string& temporary);
    // Its handle, INVALID_HANDLE_VALUE (which every call refuses) when there is none.
    HANDLE handleOf(const std::string& temporary);
    Handle release(const std::string& temporary);
    // Whether `file`, open at the kept-aside `kept`, is the file this process kept aside there
    // (true where it kept none under that name: the next start settles another's).
    bool isKeptAsMade(const std::string& kept, HANDLE file);
    struct NameInPlace {
        HANDLE place;
        std::wstring name;
    };
    // How the native calls name `path`: with places held, the place it lies directly in and its
    // name there (nullopt for none), so that nothing is reached through a path resolved again;
    // else the whole path in Windows' own form.
    std::optional<NameInPlace> placeOf(const std::wstring& path) const;
    // Renames the open file to `destination`, over a file there where `replace`: with POSIX
    // semantics where Windows has them (10, 1809 on), which replaces even a file another program
    // holds open with FILE_SHARE_DELETE, else the classic way. 0 or the Win32 error.
    DWORD rename(HANDLE file, const std::wstring& destination, bool replace = true);
    // The entry at `path` itself, opened for `access`: refused where it is a link, a junction or a
    // mount point, or (a host's link under Wine) reaches a file other than its folder's own entry,
    // so that whatever is done through the handle is done to that very entry and nothing it points
    // to. With places held, it is found in the very folder held, by its handle.
    Result<Handle> openEntry(const std::wstring& path, DWORD access, DWORD share = kShareAll) const;
    // A second name for the open file, never over a file there.
    DWORD link(HANDLE file, const std::wstring& name);

    std::mutex heldMutex_;
    std::map<std::string, Held> held_;
    std::map<std::string, FileIdentity> keptAside_;
    std::vector<Place> places_;
};

// A source for a copy, read through links, its holes asked of the file system where the file is
// sparse.
Result<std::unique_ptr<SourceReader>> openSourceReader(const std::string& path);

// Gives the open file `attributes` (none: FILE_ATTRIBUTE_NORMAL), its times left as they are.
bool setAttributes(HANDLE file, DWORD attributes);

// Why Windows refused to replace, move or remove `path`: a refusal that comes from another
// program holding the file is "in use", never "access denied".
Failure refusalOf(DWORD error, const std::wstring& path);

}  // namespace zorvik::win32
