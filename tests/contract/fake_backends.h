#pragma once

#include "tests/contract/harness.h"

namespace zorvik::testing {

FileSystemBackend fakeFileSystemBackend();
RegistryBackend fakeRegistryBackend();

}  // namespace zorvik::testing
