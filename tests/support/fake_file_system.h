#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace zorvik::testing {

// Drives, folders and files in memory with the semantics of Windows: names compare ignoring
// case and keep the case they were made with, hard links and case variants are one file,
// read-only files are neither replaced nor deleted, a file in use cannot be removed, and names
// Windows cannot hold are refused. The core's behaviour is tested on it, on every platform, and
// the real file systems must agree with it (the contract tables).
class FakeFileSystem final : public FileSystem {
public:
    // The steps a test can make fail once.
    enum class Step { List, WriteTemporary, Commit, Move, RemoveSource, Delete };

    FakeFileSystem();
    ~FakeFileSystem() override;

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    std::unique_ptr<FolderWatch> watchFolder(std::string_view folder) const override;
    Result<std::unique_ptr<PreparedCopy>> prepareCopy(std::string_view source,
                                                      std::string_view destination) override;
    Status moveFile(std::string_view source, std::string_view destination) override;
    Status deleteFile(std::string_view path) override;
    Result<std::string> hostPath(std::string_view path) const override;

    // Arranging the machine behind the program's back, as another program or the user would.
    // Each creates the missing folders above.
    void makeFolder(std::string_view path);
    void writeFile(std::string_view path, std::string_view bytes);
    void hardLink(std::string_view existing, std::string_view link);
    void remove(std::string_view path);  // a file or a folder with all it holds
    void rename(std::string_view from, std::string_view to);
    void setReadOnly(std::string_view path, bool readOnly);
    // A file another program holds open without sharing deletion: it cannot be removed.
    void setInUse(std::string_view path, bool inUse);

    std::optional<std::string> readFile(std::string_view path) const;
    bool isFile(std::string_view path) const;
    bool isFolder(std::string_view path) const;
    // Every entry of a folder as stored (folders, temporaries and all), in byte order.
    std::vector<std::string> namesIn(std::string_view folder) const;

    // The next time `step` runs it fails with `code`.
    void failNext(Step step, ErrorCode code);
    // Folder watches report nothing, as a network share would not: the list must then read
    // every time.
    void setWatchesTrusted(bool trusted) { watchesTrusted_ = trusted; }
    int listings() const { return listings_; }

private:
    struct Node;
    struct Located;
    struct Transfer;
    class Prepared;
    class Watch;

    Result<Located> locate(std::string_view path, bool createFolders) const;
    Node* find(std::string_view path) const;
    Result<Transfer> checkTransfer(std::string_view source, std::string_view destination,
                                   bool isMove) const;
    std::optional<ErrorCode> takeFault(Step step) const;
    void touch(Node& folder) const;

    std::unique_ptr<Node> root_;  // the drives, by letter
    mutable std::map<Step, ErrorCode> faults_;
    mutable int listings_ = 0;
    int temporaries_ = 0;
    bool watchesTrusted_ = true;
};

}  // namespace zorvik::testing
