#pragma once

#include "tests/contract/harness.h"

namespace zorvik::testing {

FileSystemBackend fakeFileSystemBackend();
// The same machine whose drives make no hard links, as FAT drives and some shares do not.
FileSystemBackend fakeDriveWithoutHardLinks();
RegistryBackend fakeRegistryBackend();
// A backend whose changes cross the messages to an elevated process and back, as they do after
// the user consents: every step and its answer must survive the crossing.
FileSystemBackend throughElevatedChannel(FileSystemBackend backend);

}  // namespace zorvik::testing
