#include "tools/icon/xpm_to_ico.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <sstream>

namespace zorvik::icon {

namespace {

// The string literals of the C source, in order, with comments skipped.
std::vector<std::string> stringLiterals(std::string_view source) {
    std::vector<std::string> literals;
    std::size_t at = 0;
    while (at < source.size()) {
        if (source.compare(at, 2, "/*") == 0) {
            const std::size_t end = source.find("*/", at + 2);
            if (end == std::string_view::npos) {
                throw IconError("a comment is never closed");
            }
            at = end + 2;
        } else if (source.compare(at, 2, "//") == 0) {
            at = source.find('\n', at);
        } else if (source[at] == '"') {
            std::string literal;
            ++at;
            while (at < source.size() && source[at] != '"') {
                if (source[at] == '\\' && at + 1 < source.size()) {
                    ++at;
                }
                literal += source[at++];
            }
            if (at >= source.size()) {
                throw IconError("a string is never closed");
            }
            ++at;
            literals.push_back(std::move(literal));
        } else {
            ++at;
        }
    }
    return literals;
}

int parseCount(const std::string& text, std::string_view what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) {
        throw IconError("the " + std::string(what) + " in the header is not a positive number");
    }
    return value;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

// "#RGB", "#RRGGBB" or "#RRRRGGGGBBBB"; each channel keeps its most significant byte.
Colour parseHexColour(const std::string& value) {
    const std::size_t digits = value.size() - 1;
    if (digits != 3 && digits != 6 && digits != 12) {
        throw IconError("unsupported colour \"" + value + "\"");
    }
    const std::size_t perChannel = digits / 3;
    std::uint8_t channels[3] = {};
    for (std::size_t channel = 0; channel < 3; ++channel) {
        int byte = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(perChannel, 2); ++i) {
            const int digit = hexDigit(value[1 + channel * perChannel + i]);
            if (digit < 0) {
                throw IconError("unsupported colour \"" + value + "\"");
            }
            byte = byte * 16 + digit;
        }
        if (perChannel == 1) {
            byte *= 17;  // #F00 is #FF0000
        }
        channels[channel] = static_cast<std::uint8_t>(byte);
    }
    return {channels[0], channels[1], channels[2]};
}

bool isNone(const std::string& value) {
    std::string lower = value;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "none";
}

// The colour of the "c" (colour visual) key of one line of the colour table.
std::string colourValueOf(std::string_view definition) {
    std::istringstream words{std::string(definition)};
    std::string word;
    std::string key;
    std::map<std::string, std::string> values;
    while (words >> word) {
        if (word == "c" || word == "m" || word == "g" || word == "g4" || word == "s") {
            key = word;
            values[key];
        } else if (!key.empty()) {
            std::string& value = values[key];
            value += (value.empty() ? "" : " ") + word;
        } else {
            throw IconError("a colour line does not start with a key: \"" +
                            std::string(definition) + "\"");
        }
    }
    const auto colour = values.find("c");
    if (colour == values.end() || colour->second.empty()) {
        throw IconError("a colour line has no \"c\" colour: \"" + std::string(definition) + "\"");
    }
    return colour->second;
}

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFFu);
    out += static_cast<char>((value >> 8) & 0xFFu);
}

void put32(std::string& out, unsigned value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

}  // namespace

IndexedImage parseXpm(std::string_view source) {
    const std::vector<std::string> lines = stringLiterals(source);
    if (lines.empty()) {
        throw IconError("no XPM header");
    }
    std::istringstream header(lines[0]);
    std::string fields[4];
    for (auto& field : fields) {
        if (!(header >> field)) {
            throw IconError("the header needs width, height, colours and characters a pixel");
        }
    }
    IndexedImage image;
    image.width = parseCount(fields[0], "width");
    image.height = parseCount(fields[1], "height");
    const int colours = parseCount(fields[2], "number of colours");
    const auto perPixel = static_cast<std::size_t>(parseCount(fields[3], "characters a pixel"));
    if (lines.size() <
        1 + static_cast<std::size_t>(colours) + static_cast<std::size_t>(image.height)) {
        throw IconError("fewer lines than the header announces");
    }

    std::map<std::string, int, std::less<>> indexOfKey;
    for (int i = 1; i <= colours; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        if (line.size() < perPixel) {
            throw IconError("a colour line is shorter than its key");
        }
        const std::string key = line.substr(0, perPixel);
        const std::string value = colourValueOf(std::string_view(line).substr(perPixel));
        int index = IndexedImage::kTransparent;
        if (!isNone(value)) {
            if (value.front() != '#') {
                throw IconError("unsupported colour \"" + value + "\" (only #RRGGBB and None)");
            }
            const Colour colour = parseHexColour(value);
            const auto found = std::find(image.palette.begin(), image.palette.end(), colour);
            index = static_cast<int>(found - image.palette.begin());
            if (found == image.palette.end()) {
                image.palette.push_back(colour);
            }
        }
        if (!indexOfKey.emplace(key, index).second) {
            throw IconError("the colour key \"" + key + "\" is defined twice");
        }
    }

    image.pixels.reserve(static_cast<std::size_t>(image.width) *
                         static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const std::string& row = lines[static_cast<std::size_t>(1 + colours + y)];
        if (row.size() != static_cast<std::size_t>(image.width) * perPixel) {
            throw IconError("row " + std::to_string(y + 1) + " does not hold " +
                            std::to_string(image.width) + " pixels");
        }
        for (std::size_t x = 0; x < row.size(); x += perPixel) {
            const auto found = indexOfKey.find(std::string_view(row).substr(x, perPixel));
            if (found == indexOfKey.end()) {
                throw IconError("row " + std::to_string(y + 1) + " uses a colour not defined");
            }
            image.pixels.push_back(found->second);
        }
    }
    return image;
}

std::string writeIco(const IndexedImage& image) {
    constexpr unsigned kColours = 16;
    constexpr unsigned kBitsPerPixel = 4;
    if (image.width < 1 || image.width > 256 || image.height < 1 || image.height > 256) {
        throw IconError("an icon is 1 to 256 pixels wide and high");
    }
    if (image.palette.size() > kColours) {
        throw IconError("the picture has " + std::to_string(image.palette.size()) +
                        " colours; a 16-colour icon holds 16");
    }
    const auto width = static_cast<unsigned>(image.width);
    const auto height = static_cast<unsigned>(image.height);
    // every row of either bitmap is padded to whole 32-bit words
    const unsigned colourRow = (width * kBitsPerPixel + 31) / 32 * 4;
    const unsigned maskRow = (width + 31) / 32 * 4;
    const unsigned bitmapSize = 40 + kColours * 4 + (colourRow + maskRow) * height;

    std::string ico;
    put16(ico, 0);  // reserved
    put16(ico, 1);  // an icon, not a cursor
    put16(ico, 1);  // one picture
    ico += static_cast<char>(width == 256 ? 0 : width);
    ico += static_cast<char>(height == 256 ? 0 : height);
    ico += static_cast<char>(kColours);
    ico += '\0';
    put16(ico, 1);  // planes
    put16(ico, kBitsPerPixel);
    put32(ico, bitmapSize);
    put32(ico, 6 + 16);  // the picture follows the directory

    put32(ico, 40);  // BITMAPINFOHEADER
    put32(ico, width);
    put32(ico, height * 2);  // the colours and the mask, one above the other
    put16(ico, 1);
    put16(ico, kBitsPerPixel);
    put32(ico, 0);  // BI_RGB
    put32(ico, (colourRow + maskRow) * height);
    put32(ico, 0);
    put32(ico, 0);
    put32(ico, kColours);
    put32(ico, 0);
    for (unsigned i = 0; i < kColours; ++i) {
        const Colour colour = i < image.palette.size() ? image.palette[i] : Colour{};
        ico += static_cast<char>(colour.blue);
        ico += static_cast<char>(colour.green);
        ico += static_cast<char>(colour.red);
        ico += '\0';
    }
    // both bitmaps run from the bottom row up
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(colourRow, '\0');
        for (int x = 0; x < image.width; ++x) {
            const int index = image.at(x, y);
            const auto nibble =
                static_cast<unsigned>(index == IndexedImage::kTransparent ? 0 : index);
            const auto byte = static_cast<std::size_t>(x / 2);
            row[byte] = static_cast<char>(static_cast<unsigned char>(row[byte]) |
                                          (x % 2 == 0 ? nibble << 4 : nibble));
        }
        ico += row;
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(maskRow, '\0');
        for (int x = 0; x < image.width; ++x) {
            if (image.at(x, y) == IndexedImage::kTransparent) {
                const auto byte = static_cast<std::size_t>(x / 8);
                row[byte] =
                    static_cast<char>(static_cast<unsigned char>(row[byte]) | (0x80u >> (x % 8)));
            }
        }
        ico += row;
    }
    return ico;
}

}  // namespace zorvik::icon
