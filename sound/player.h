#pragma once

#include <string_view>

#include "platform/status.h"

namespace zorvik {

// Plays wave files without blocking the caller.
class Player {
public:
    virtual ~Player() = default;

    virtual void setFileName(std::string_view path) = 0;
    // Plays the file last named, cutting short whatever plays. A file that cannot be decoded or
    // played, or no output device, is a failure.
    virtual Status sound() = 0;
    // Whether the file at `path` would play: every check sound() makes of the file, without
    // playing it or opening a device. The failure's message is a reason only.
    virtual Status check(std::string_view path) = 0;
    virtual void stop() = 0;
};

}  // namespace zorvik
