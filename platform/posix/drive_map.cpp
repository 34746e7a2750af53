#include "platform/posix/drive_map.h"

#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/install_folder.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "texts/failure_text.h"

namespace zorvik::posix {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string homeFolder() {
    std::string home = environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid());
            entry != nullptr && entry->pw_dir != nullptr) {
            home = entry->pw_dir;
        }
    }
    return home;
}

// An XDG base folder: the variable when it holds an absolute path, else the default below HOME.
std::string xdgFolder(const char* variable, std::string_view fallbackBelowHome) {
    std::string folder = environment(variable);
    if (folder.empty() || folder.front() != '/') {
        folder = homeFolder();
        folder += '/';
        folder += fallbackBelowHome;
    }
    return folder;
}

std::string appendComponent(const std::string& host, std::string_view component) {
    std::string out = host;
    if (out.empty() || out.back() != '/') {
        out += '/';
    }
    out += component;
    return out;
}

Failure bare(ErrorCode code) {
    return {code, {}};
}

// Host paths separate on '/' only: a backslash there is part of a name.
std::vector<std::string_view> splitHostComponents(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The entry of `folder` that equals `component` ignoring case: "" when none, Ambiguous when
// several do.
Result<std::string> matchIgnoringCase(const std::string& folder, std::string_view component) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) {
        return std::string();
    }
    const std::string wanted = text::foldCase(component);
    std::string found;
    int matches = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (text::isValidWindowsName(name) && text::foldCase(name) == wanted) {
            found = name;
            ++matches;
        }
    }
    if (matches > 1) {
        return bare(ErrorCode::Ambiguous);
    }
    return found;
}

}  // namespace

DriveMap::DriveMap(std::string driveCFolder) : driveC_(std::move(driveCFolder)) {
    while (driveC_.size() > 1 && driveC_.back() == '/') {
        driveC_.pop_back();
    }
}

DriveMap DriveMap::fromEnvironment() {
    std::string folder = environment("ZORVIK_DRIVE_C");
    if (folder.empty()) {
        folder = xdgFolder("XDG_DATA_HOME", ".local/share") + "/zorvik/drive_c";
    }
    return DriveMap(std::move(folder));
}

Result<std::string> DriveMap::resolve(std::string_view windowsPath) const {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') {
        return bare(ErrorCode::NoDrive);
    }
    std::string host;
    switch (windowsPath[0]) {
        case 'C':
        case 'c':
            host = driveC_;
            break;
        case 'Z':
        case 'z':
            host = "/";
            break;
        default:
            return bare(ErrorCode::NoDrive);
    }
    const std::string_view rest = windowsPath.substr(2);
    if (!rest.empty() && !winpath::isSeparator(rest.front())) {
        return bare(ErrorCode::InvalidName);  // drive-relative paths are never built here
    }
    const std::vector<std::string> components = winpath::components(rest);
    for (const auto& component : components) {
        if (!text::isValidWindowsName(component)) {
            return bare(ErrorCode::InvalidName);
        }
    }
    bool missing = false;
    std::string windowsSoFar(windowsPath.substr(0, 2));
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string& component = components[i];
        windowsSoFar += '\\';
        windowsSoFar += component;
        std::string exact = appendComponent(host, component);
        struct stat info {};
        if (missing) {
            host = std::move(exact);
            continue;
        }
        if (lstat(exact.c_str(), &info) == 0) {
            host = std::move(exact);
        } else {
            auto match = matchIgnoringCase(host, component);
            if (!match.ok()) {
                return match.failure();
            }
            if (match.value().empty()) {
                missing = true;
                host = std::move(exact);
                continue;
            }
            host = appendComponent(host, match.value());
        }
        // a file in the middle of a path: say which, since "not found" would mislead
        const bool last = i + 1 == components.size();
        if (!last && ::stat(host.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
            return Failure{ErrorCode::NotAFolder, failure_text::pathThroughFile(windowsSoFar)};
        }
    }
    return host;
}

Result<std::string> DriveMap::windowsPathOf(std::string_view hostPath) const {
    std::string path(hostPath);
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr) {
        path = resolved;
    }
    std::string root = driveC_;
    if (realpath(driveC_.c_str(), resolved) != nullptr) {
        root = resolved;
    }
    std::string out;
    std::string_view rest = path;
    if (rest == root || (rest.size() > root.size() && rest.substr(0, root.size()) == root &&
                         rest[root.size()] == '/')) {
        out = "C:";
        rest.remove_prefix(root.size());
    } else {
        out = "Z:";
    }
    for (const auto component : splitHostComponents(rest)) {
        if (!text::isValidWindowsName(component)) {
            return bare(ErrorCode::InvalidName);
        }
        out += '\\';
        out += component;
    }
    if (out.size() == 2) {
        out += '\\';
    }
    return out;
}

std::string applicationFolder(const DriveMap& drives) {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), PATH_MAX);
    if (length <= 0) {
        return std::string(install::kFolder);
    }
    const std::string executable(buffer.data(), static_cast<std::size_t>(length));
    const auto folder = drives.windowsPathOf(executable.substr(0, executable.find_last_of('/')));
    if (!folder.ok() || folder.value().rfind("C:", 0) != 0) {
        return std::string(install::kFolder);
    }
    std::string result = folder.value();
    while (winpath::endsWithSeparator(result)) {
        result.pop_back();
    }
    return result;
}

std::string defaultSettingsStorePath() {
    return xdgFolder("XDG_CONFIG_HOME", ".config") + "/zorvik/HKCU.reg";
}

}  // namespace zorvik::posix
