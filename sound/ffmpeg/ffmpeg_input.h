#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/file_steps.h"
#include "sound/sound_decoder.h"

struct AVFormatContext;
struct AVIOContext;

namespace zorvik::sound {

// A source opened by FFmpeg as a sound container: read only through the reader (never by its
// name again), taken only as one of the containers sounds come in, and allowed to open nothing
// else (a playlist's entries, another file, the network) nor to run any but sound decoders
// while it is probed.
class FfmpegInput {
public:
    explicit FfmpegInput(std::unique_ptr<SourceReader> reader);
    ~FfmpegInput();
    FfmpegInput(const FfmpegInput&) = delete;
    FfmpegInput& operator=(const FfmpegInput&) = delete;

    // The container and what its streams hold; `name` (may be "") helps tell its kind by its
    // extension. The failure's message is a reason only.
    Status open(std::string_view name);

    AVFormatContext* container() const { return container_; }
    DecodingProgress progress() const;
    // What went wrong reading the source, where something did: it is no fault of the sound's.
    const std::optional<Failure>& readFailure() const { return readFailure_; }

private:
    static int read(void* self, std::uint8_t* into, int size);
    static std::int64_t seek(void* self, std::int64_t offset, int whence);

    std::unique_ptr<SourceReader> reader_;
    std::uint64_t position_ = 0;
    std::optional<Failure> readFailure_;
    AVIOContext* io_ = nullptr;
    AVFormatContext* container_ = nullptr;
};

}  // namespace zorvik::sound
