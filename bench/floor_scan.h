#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows_text.h"

// The floor of every listing: the least any program showing the melodies of a folder must do.
// The entries are read with getdents64 a large block at a time; each name is checked as the list
// must check it (the "*.wav" pattern, a name Windows can hold, a regular file); its sort key, the
// name in capitals with Cyrillic, is worked out once; the names are sorted by it.
namespace zorvik::bench {

inline std::vector<std::string> scanMelodies(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> keyed;  // key, name
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
                keyed.emplace_back(text::foldCase(name), name);
            }
        }
    }
    ::close(fd);
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed) {
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace zorvik::bench
