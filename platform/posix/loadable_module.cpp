#include "platform/posix/loadable_module.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace zorvik::posix {

void* moduleEntry(const char* fromProgram, const char* built, const char* entry) {
    std::vector<std::string> paths;
    char executable[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length > 0) {
        const std::string program(executable, static_cast<std::size_t>(length));
        paths.push_back(program.substr(0, program.find_last_of('/') + 1) + fromProgram);
    }
    paths.emplace_back(built);
    for (const auto& path : paths) {
        // never closed: a library may have left handlers behind in the process
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            continue;
        }
        if (void* found = ::dlsym(module, entry)) {
            return found;
        }
    }
    return nullptr;
}

}  // namespace zorvik::posix
