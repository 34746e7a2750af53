#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows_text.h"

// The floor of every listing: the least any program showing the melodies of a folder must do.
// The entries are read with getdents64 a large block at a time; each name is checked as the list
// must check it (the "*.wav" pattern, a name Windows can hold, a regular file); its sort key, the
// name in capitals with Cyrillic, is worked out once into one shared buffer; the names are sorted
// by it.
namespace zorvik::bench {

inline std::vector<std::string> scanMelodies(const std::string& folder) {
    // the names as found, their keys in one buffer, and where each key lies
    struct Key {
        std::uint32_t offset, length, name;
    };
    std::vector<std::string> found;
    std::vector<Key> order;
    std::string keys;
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
                const std::string key = text::foldCase(name);
                order.push_back({static_cast<std::uint32_t>(keys.size()),
                                 static_cast<std::uint32_t>(key.size()),
                                 static_cast<std::uint32_t>(found.size())});
                keys += key;
                found.emplace_back(name);
            }
        }
    }
    ::close(fd);
    const std::string_view all = keys;
    std::sort(order.begin(), order.end(), [&](const Key& a, const Key& b) {
        const int byKey = all.substr(a.offset, a.length).compare(all.substr(b.offset, b.length));
        return byKey != 0 ? byKey < 0 : found[a.name] < found[b.name];
    });
    std::vector<std::string> names;
    names.reserve(order.size());
    for (const auto& key : order) {
        names.push_back(std::move(found[key.name]));
    }
    return names;
}

}  // namespace zorvik::bench
