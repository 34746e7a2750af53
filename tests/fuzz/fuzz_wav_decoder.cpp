// Opening a melody for preview on arbitrary bytes, and decoding all of it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/sndfile/wav_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto decoder =
        zorvik::WavDecoder::openMemory(std::string(reinterpret_cast<const char*>(data), size));
    if (!decoder.ok()) {
        return 0;
    }
    std::vector<float> buffer(4096 * static_cast<std::size_t>(decoder.value()->channels()));
    // a header may promise any length; what decodes is bounded by the bytes given
    for (int chunks = 0; chunks < 4096 && decoder.value()->read(buffer.data(), 4096) > 0;
         ++chunks) {
    }
    return 0;
}
