#pragma once

#include <string_view>

#include "platform/file_system.h"

namespace zorvik::testing {

// A whole copy in one call, as the tables exercise the copy: its first half, then its commit.
inline Status copyFile(FileSystem& files, std::string_view source, std::string_view destination) {
    auto prepared = files.prepareCopy(source, destination);
    return prepared.ok() ? prepared.value()->commit() : Status(prepared.failure());
}

}  // namespace zorvik::testing
