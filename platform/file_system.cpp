#include "platform/file_system.h"

#include "platform/windows_text.h"

namespace zorvik {

std::optional<std::string> FileSystem::melodyNamed(std::string_view folder,
                                                   std::string_view name) const {
    auto names = listMelodies(folder);
    if (!names.ok()) {
        return std::nullopt;
    }
    const auto found = text::findFileName(names.value(), name);
    return found ? std::optional(names.value()[*found]) : std::nullopt;
}

}  // namespace zorvik
