// RegRead and RegWrite of the shell object against a plain read and an atomic rewrite (temporary
// file, fsync, rename) of a file of the same size.
#include <fcntl.h>
#include <unistd.h>

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

std::string plainRead(const std::string& path) {
    return testing::readFile(path);
}

void atomicRewrite(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 ||
        ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
        ::fsync(fd) != 0) {
        std::perror("rewrite");
    }
    ::close(fd);
    ::rename(temporary.c_str(), path.c_str());
}

}  // namespace

int main() {
    bench::header("Settings store", "plain file");
    for (int otherValues : {0, 200}) {
        testing::TempFolder root;
        const std::string store = (root / "zorvik" / "HKCU.reg").string();
        posix::PosixRegistry registry(store);
        settings::ShellObject shell(registry);
        // the key as the phone program leaves it, with as many other values as asked for
        (void)shell.RegWrite(settings::kRingSound, "Звънец.wav");
        for (int i = 0; i < otherValues; ++i) {
            (void)shell.RegWrite("HKCU\\Zorvik\\Other\\Value" + std::to_string(i), "some text");
        }
        (void)shell.RegWrite(settings::kAudio, std::int16_t{1}, "REG_DWORD");
        const std::string content = plainRead(store);
        const std::string copy = (root / "copy.reg").string();
        testing::writeFile(copy, content);

        const double read =
            bench::medianSeconds(200, [&] { (void)shell.RegRead(settings::kRingSound); });
        const double readFloor = bench::medianSeconds(200, [&] { (void)plainRead(copy); });
        std::int16_t state = 0;
        const double write = bench::medianSeconds(
            60, [&] { (void)shell.RegWrite(settings::kAudio, state ^= 1, "REG_DWORD"); });
        const double writeFloor = bench::medianSeconds(60, [&] { atomicRewrite(copy, content); });
        const std::string size = std::to_string(content.size()) + " bytes";
        bench::report("RegRead, store of " + size, read, readFloor);
        bench::report("RegWrite, store of " + size, write, writeFloor);
    }
    return 0;
}
