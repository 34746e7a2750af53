#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The window's icon for Windows is made at build time from the project's XPM, so that one
// picture serves both windows. These run on the build machine, not in the program.
namespace zorvik::icon {

struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// A picture with a palette: each pixel is an index into `palette`, or kTransparent.
struct IndexedImage {
    static constexpr int kTransparent = -1;

    int width = 0;
    int height = 0;
    std::vector<Colour> palette;
    std::vector<int> pixels;  // row by row, top row first

    int at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Why a picture could not be read or written, naming the place.
class IconError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads an XPM 3 image as C source (the form that compilers include): colours given as
// "#RRGGBB", "#RGB" or "None".
IndexedImage parseXpm(std::string_view source);

// An .ico file holding the one picture at 4 bits a pixel (16 colours), with the transparency
// mask. Fails when the picture has more than 16 colours or is larger than 256 pixels.
std::string writeIco(const IndexedImage& image);

}  // namespace zorvik::icon
