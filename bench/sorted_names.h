#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/windows_text.h"

// The second half of every listing's floor: the names a scan kept, sorted ignoring case as
// Windows compares them. Each name's sort key (the name in capitals, Cyrillic included) is
// worked out once, into one buffer shared by all keys.
namespace zorvik::bench {

class SortedNames {
public:
    void add(std::string_view name) {
        const std::string key = text::foldCase(name);
        order_.push_back({static_cast<std::uint32_t>(keys_.size()),
                          static_cast<std::uint32_t>(key.size()),
                          static_cast<std::uint32_t>(found_.size())});
        keys_ += key;
        found_.emplace_back(name);
    }

    std::vector<std::string> take() && {
        const std::string_view all = keys_;
        std::sort(order_.begin(), order_.end(), [&](const Key& a, const Key& b) {
            const int byKey =
                all.substr(a.offset, a.length).compare(all.substr(b.offset, b.length));
            return byKey != 0 ? byKey < 0 : found_[a.name] < found_[b.name];
        });
        std::vector<std::string> names;
        names.reserve(order_.size());
        for (const auto& key : order_) {
            names.push_back(std::move(found_[key.name]));
        }
        return names;
    }

private:
    struct Key {
        std::uint32_t offset, length, name;
    };
    std::vector<std::string> found_;
    std::vector<Key> order_;
    std::string keys_;
};

}  // namespace zorvik::bench
