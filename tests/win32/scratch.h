#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Places of a test's own on the Windows machine, with Cyrillic names, arranged behind the
// backends' backs through the wide-character API. Each is new, never one an earlier run left,
// and is removed with all it holds, files named like devices ("con.wav") and read-only ones too.
namespace zorvik::testing {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // In Windows form without a trailing backslash, below %TEMP%.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A key below HKEY_CURRENT_USER that does not exist yet; its branch goes at the end.
class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::string& key() const { return key_; }
    // The key below HKEY_CURRENT_USER that holds key(): a whole current user's keys can go below
    // it.
    const std::string& branch() const { return branch_; }

private:
    std::string branch_;
    std::string key_;
};

// The path as the wide-character API takes it (long paths included).
std::wstring widePath(std::string_view path);
void makeFolders(std::string_view path);
void writeBytes(std::string_view path, std::string_view bytes);
std::optional<std::string> readBytes(std::string_view path);
// Every entry of a folder as stored, in byte order.
std::vector<std::string> entriesOf(std::string_view folder);
// The same, joined by spaces, for a comparison that names them all.
std::string listing(std::string_view folder);

}  // namespace zorvik::testing
