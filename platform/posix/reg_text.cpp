#include <cstdint>
#include <cstring>

#include "platform/posix/reg_syntax.h"
#include "platform/windows_text.h"

// The file's encodings, and the hash under which names are looked up.
namespace zorvik::posix::reg_syntax {

namespace {

// Whether a UTF-8 text is valid, eight bytes at a step through runs of ASCII.
bool isValidUtf8Quickly(std::string_view bytes) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::uint64_t word = 0;
        while (pos + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + pos, sizeof word);
            if ((word & kHighBits) != 0) {
                break;
            }
            pos += sizeof word;
        }
        if (pos >= bytes.size()) {
            break;
        }
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        // one sequence, checked by the shared rules; a bad lead byte fails there
        const std::size_t length = lead >= 0xF0 ? 4 : (lead >= 0xE0 ? 3 : 2);
        if (!text::isValidUtf8(bytes.substr(pos, length))) {
            return false;
        }
        pos += length;
    }
    return true;
}

// Drops the CR of each CRLF, and a CR that ends the text, in place.
void dropCarriageReturns(std::string& text) {
    std::size_t out = text.find('\r');
    if (out == std::string::npos) {
        return;
    }
    for (std::size_t in = out; in < text.size(); ++in) {
        const bool lineEnd = text[in] == '\r' && (in + 1 == text.size() || text[in + 1] == '\n');
        if (!lineEnd) {
            text[out++] = text[in];
        }
    }
    text.resize(out);
}

}  // namespace

std::optional<std::string> decodeFile(std::string bytes) {
    std::string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        auto decoded = text::utf16LeToUtf8(std::string_view(bytes).substr(2));
        if (!decoded) {
            return std::nullopt;
        }
        text = std::move(*decoded);
    } else {
        if (bytes.size() >= 3 && std::string_view(bytes).substr(0, 3) == "\xEF\xBB\xBF") {
            bytes.erase(0, 3);
        }
        if (!isValidUtf8Quickly(bytes)) {
            return std::nullopt;
        }
        text = std::move(bytes);
    }
    dropCarriageReturns(text);
    return text;
}

std::uint32_t foldedHash(std::string_view name) {
    // Only the last eight ASCII characters count, with the bit that tells a small letter from a
    // capital cleared: no other character upper-cases to or from ASCII, so names equal ignoring
    // case have the same ASCII characters in the same order. Those few tell the names of a key
    // apart well enough, at the same cost however long the names are.
    constexpr std::uint64_t kCaseBits = 0x2020202020202020ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::uint64_t last = 0;
    if (name.size() >= sizeof last) {
        std::memcpy(&last, name.data() + name.size() - sizeof last, sizeof last);
    }
    if (name.size() < sizeof last || (last & kHighBits) != 0) {
        // the same eight, gathered one by one past the other characters
        last = 0;
        int gathered = 0;
        for (std::size_t i = name.size(); i > 0 && gathered < 8; --i) {
            const auto byte = static_cast<unsigned char>(name[i - 1]);
            if (byte < 0x80) {
                last |= static_cast<std::uint64_t>(byte) << (8 * (7 - gathered));
                ++gathered;
            }
        }
    }
    return static_cast<std::uint32_t>(((last & ~kCaseBits) * 0x9E3779B97F4A7C15ULL) >> 32);
}

}  // namespace zorvik::posix::reg_syntax
