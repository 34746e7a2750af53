#pragma once

#include <chrono>
#include <optional>

// Only for speed: the folder watch and the settings parse cache both ask this whether a change
// to a file or folder is sure to be seen, and neither is needed for the program to be right.
namespace zorvik::posix {

// The coarsest step in which the file system holding `fd` stamps a change, when every change to
// it passes through this machine's kernel, so that inotify reports it and this machine's clock
// stamps it. nullopt for network, cluster and user-space file systems, and for any this code
// does not know: there a change can come from elsewhere unseen.
std::optional<std::chrono::nanoseconds> localTimestampGrain(int fd);

}  // namespace zorvik::posix
