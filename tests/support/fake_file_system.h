#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_transaction/file_transaction.h"
#include "tests/support/step_faults.h"

namespace zorvik::testing {

// Drives, folders and files in memory with the semantics of Windows: names compare ignoring
// case and keep the case they were made with, hard links and case variants are one file,
// read-only files are neither replaced nor deleted, and names Windows cannot hold are refused. The
// core's behaviour is tested on it, on every platform, and the real file systems must agree with it
// (the contract tables). Copies, moves and deletes go through the same transaction as on the real
// machines, on primitives in memory; each drive is a volume of its own.
class FakeFileSystem final : public TransactionalFileSystem {
public:
    FakeFileSystem();
    ~FakeFileSystem() override;

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    Result<std::string> hostPath(std::string_view path) const override;
    FileSteps& steps() override;
    Result<std::unique_ptr<SourceReader>> openSource(const std::string& hostPath) override;

    // Arranging the machine behind the program's back, as another program or the user would.
    // Each creates the missing folders above.
    void makeFolder(std::string_view path);
    void writeFile(std::string_view path, std::string_view bytes);
    void hardLink(std::string_view existing, std::string_view link);
    void remove(std::string_view path);  // a file or a folder with all it holds
    void rename(std::string_view from, std::string_view to);
    void setReadOnly(std::string_view path, bool readOnly);
    // A file or folder the system shows as a link when asked of it itself (as a junction, or a
    // symbolic link, is shown), so that what refuses links can be seen refusing.
    void markAsLink(std::string_view path);
    // What these folders hold is changed only by administratorSteps(), as Program Files on
    // Windows; in place of the folders set before.
    void setForAdministratorsOnly(std::vector<std::string> folders) {
        administratorsOnly_ = std::move(folders);
    }
    // The steps of an elevated process, which the folders above do not refuse.
    FileSteps& administratorSteps();

    std::optional<std::string> readFile(std::string_view path) const;
    bool isFile(std::string_view path) const;
    // Every entry of a folder as stored (folders, temporaries and all), in byte order.
    std::vector<std::string> namesIn(std::string_view folder) const;

    // The next time `step` runs it fails with `code`.
    void failNext(FileStep step, ErrorCode code);
    // What else can fail of a file: a look at it, opening it to copy from, or a read of it.
    enum class Use { Look, Open, Read };
    // The `skipped`+1-th `use` of the file at `hostPath` from now fails with `code`.
    void failUse(Use use, std::string hostPath, ErrorCode code, int skipped = 0) {
        useFaults_.push_back({use, std::move(hostPath), code, skipped});
    }
    // Without hard links (a FAT drive), an older namesake steps aside by a rename.
    void setHardLinks(bool made) { hardLinks_ = made; }
    int listings() const { return listings_; }

private:
    struct Node;
    struct Located;
    class Steps;

    Result<Located> locate(std::string_view path, bool createFolders) const;
    Node* find(std::string_view path) const;
    // the failure a row arranged for this use of the file, if this is the one
    std::optional<Failure> useFails(Use use, const std::string& hostPath);
    // `node` under a new path, replacing a file there but keeping that file's name
    void place(std::unique_ptr<Node> node, const Located& target);

    std::unique_ptr<Node> root_;  // the drives, by letter
    std::unique_ptr<Steps> steps_;
    std::unique_ptr<Steps> administratorSteps_;
    std::vector<std::string> administratorsOnly_;
    std::map<FileStep, StepFault> faults_;
    struct UseFault {
        Use use;
        std::string path;
        ErrorCode code;
        int skipped;
    };
    std::vector<UseFault> useFaults_;
    mutable int listings_ = 0;
    bool hardLinks_ = true;
};

}  // namespace zorvik::testing
