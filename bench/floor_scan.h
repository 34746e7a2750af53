#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/sorted_names.h"
#include "platform/windows_text.h"

// The floor of every listing on Linux: the least any program showing the melodies of a folder
// must do. The entries are read with getdents64 a large block at a time; each name is checked as
// the list must check it (the "*.wav" pattern, a name Windows can hold, a regular file); the
// names kept are sorted as bench/sorted_names.h sorts them.
namespace zorvik::bench {

inline std::vector<std::string> scanMelodies(const std::string& folder) {
    SortedNames names;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    constexpr std::size_t kBlock = 128 * 1024;
    const auto block = std::make_unique<char[]>(kBlock);
    ssize_t got = 0;
    while ((got = ::getdents64(fd, block.get(), kBlock)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(block.get() + at);
            at += entry->d_reclen;
            const std::string_view name = entry->d_name;
            if (!text::matchesWavPattern(name) || !text::isValidWindowsName(name)) {
                continue;
            }
            struct stat info {};
            if (entry->d_type == DT_REG ||
                ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                 ::fstatat(fd, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode))) {
                names.add(name);
            }
        }
    }
    ::close(fd);
    return std::move(names).take();
}

}  // namespace zorvik::bench
