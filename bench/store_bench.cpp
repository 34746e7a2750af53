// RegRead and RegWrite of the shell object against floors with the same guarantees: reading the
// same file whole under the shared lock, and writing the same bytes under the exclusive lock to
// a temporary file that is flushed, renamed over the file, and its folder flushed. A store of
// about 1 KB in the registry editor's format.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/measure.h"
#include "platform/posix/posix_registry.h"
#include "settings/shell_object.h"
#include "settings/value_names.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using namespace zorvik;

namespace {

// The phone program's key, and other keys of about 180 bytes each up to `size`, as an export of
// a user's registry has them: strings, numbers and binary data.
std::string storeOfAbout(std::size_t size) {
    std::string text =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
        "\"Audio\"=dword:00000001\n\"inDeleted\"=dword:00000000\n"
        "\"AudioPath\"=\"C:\\\\Program Files\\\\Zorvik\\\\Rings\"\n"
        "\"RingSound\"=\"Звънец.wav\"\n";
    for (int key = 0; text.size() < size; ++key) {
        text += "\n[HKEY_CURRENT_USER\\Software\\Vendor\\Application " + std::to_string(key) +
                "]\n\"Path\"=\"C:\\\\Program Files\\\\Vendor\\\\" + std::to_string(key) +
                "\"\n\"Count\"=dword:0000002a\n\"Data\"=hex:01,02,03,04,05,06,07,08,09,0a\n";
    }
    return text;
}

int openLock(const std::string& path) {
    return ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

std::string sharedLockRead(const std::string& path) {
    const int lock = openLock(path);
    ::flock(lock, LOCK_SH);
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    bytes.resize(static_cast<std::size_t>(info.st_size));
    if (::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        std::perror("read");
    }
    ::close(fd);
    ::close(lock);
    return bytes;
}

void exclusiveLockWrite(const std::string& path, const std::string& content) {
    const int lock = openLock(path);
    ::flock(lock, LOCK_EX);
    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
        ::fsync(fd) != 0) {
        std::perror("write");
    }
    ::close(fd);
    ::rename(temporary.c_str(), path.c_str());
    const int folder = ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(folder);
    ::close(folder);
    ::close(lock);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 201;
    bench::header("The settings store", "floor: the same file, same locks and flushes");
    testing::TempFolder root;
    fs::create_directories(root / "zorvik");
    const std::string store = (root / "zorvik" / "HKCU.reg").string();
    const std::string floorFile = (root / "zorvik" / "floor.reg").string();
    const std::string content = storeOfAbout(1000);
    testing::writeFile(store, content);
    testing::writeFile(floorFile, content);
    posix::PosixRegistry plainRegistry(store);
    const settings::ShellObject plain(plainRegistry);
    const std::string label = std::to_string(content.size()) + " bytes";
    const auto openingReads = [](const settings::ShellObject& shell) {
        (void)shell.RegRead(settings::kAudio);
        (void)shell.RegRead(settings::kInDeleted);
        (void)shell.RegRead(settings::kRingSound);
        (void)shell.RegRead(settings::kRingSound);
    };
    auto reads = bench::interleaved(
        rounds, {bench::timing([&] { (void)sharedLockRead(floorFile); }),
                 bench::timing([&] { (void)plain.RegRead(settings::kRingSound); }),
                 bench::timing([&] { openingReads(plain); })});
    std::int16_t state = 0;
    auto writes = bench::interleaved(
        rounds / 2,
        {bench::timing([&] { exclusiveLockWrite(floorFile, content); }),
         bench::timing([&] { (void)plain.RegWrite(settings::kAudio, state ^= 1, "REG_DWORD"); })});
    bench::report("RegRead, store of " + label, reads[1], reads[0]);
    bench::report("the four reads of opening the window (vs one read)", reads[2], reads[0]);
    bench::report("RegWrite, store of " + label, writes[1], writes[0]);
    return 0;
}
