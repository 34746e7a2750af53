#pragma once

#include "tests/contract/harness.h"

namespace zorvik::testing {

FileSystemBackend fakeFileSystemBackend();
// The same machine whose drives make no hard links, as FAT drives and some shares do not.
FileSystemBackend fakeDriveWithoutHardLinks();
RegistryBackend fakeRegistryBackend();

}  // namespace zorvik::testing
