#include "platform/windows_path.h"

#include "platform/windows_text.h"

namespace zorvik::winpath {

namespace {

std::string comparable(std::string_view path) {
    while (!path.empty() && isSeparator(path.back())) {
        path.remove_suffix(1);
    }
    std::string out = text::foldCase(path);
    for (char& ch : out) {
        if (ch == '/') {
            ch = '\\';
        }
    }
    return out;
}

std::size_t lastSeparator(std::string_view path) {
    return path.find_last_of("\\/");
}

}  // namespace

std::string join(std::string_view folderPath, std::string_view name) {
    std::string out;
    out.reserve(folderPath.size() + 1 + name.size());
    out.append(folderPath);
    out.push_back('\\');
    out.append(name);
    return out;
}

std::string_view fileName(std::string_view path) {
    const auto at = lastSeparator(path);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

std::string_view folder(std::string_view path) {
    const auto at = lastSeparator(path);
    return at == std::string_view::npos ? std::string_view{} : path.substr(0, at);
}

bool endsWithSeparator(std::string_view path) {
    return !path.empty() && isSeparator(path.back());
}

std::vector<std::string> components(std::string_view rest) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end])) {
            ++end;
        }
        const std::string_view part = rest.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return parts;
}

bool samePath(std::string_view a, std::string_view b) {
    return comparable(a) == comparable(b);
}

}  // namespace zorvik::winpath
