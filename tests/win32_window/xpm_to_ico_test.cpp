#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/icon/xpm_to_ico.h"

namespace zorvik::icon {
namespace {

std::uint32_t read32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + i)))
                 << (8 * i);
    }
    return value;
}

std::uint16_t read16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                      static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}

// What an .ico of one 4-bit picture says about the pixel at (x, y), read back from its bytes:
// the palette colour, or nullopt where the mask makes it transparent.
std::optional<Colour> pixelOf(const std::string& ico, int x, int y) {
    const std::size_t bitmap = read32(ico, 18);
    const auto width = static_cast<std::size_t>(read32(ico, bitmap + 4));
    const auto height = static_cast<std::size_t>(read32(ico, bitmap + 8) / 2);
    const std::size_t palette = bitmap + 40;
    const std::size_t colours = palette + 16 * 4;
    const std::size_t colourRow = (width * 4 + 31) / 32 * 4;
    const std::size_t mask = colours + colourRow * height;
    const std::size_t maskRow = (width + 31) / 32 * 4;
    const std::size_t row = height - 1 - static_cast<std::size_t>(y);  // bottom row first
    const auto ux = static_cast<std::size_t>(x);
    const auto maskByte = static_cast<unsigned char>(ico.at(mask + row * maskRow + ux / 8));
    if ((maskByte & (0x80u >> (ux % 8))) != 0) {
        return std::nullopt;
    }
    const auto byte = static_cast<unsigned char>(ico.at(colours + row * colourRow + ux / 2));
    const std::size_t index = ux % 2 == 0 ? byte >> 4 : byte & 0x0Fu;
    const std::size_t entry = palette + index * 4;
    return Colour{static_cast<std::uint8_t>(ico.at(entry + 2)),
                  static_cast<std::uint8_t>(ico.at(entry + 1)),
                  static_cast<std::uint8_t>(ico.at(entry))};
}

std::string projectIcon() {
    std::ifstream in(ZORVIK_SOURCE_DIR "/main_window/qt/zorvik_icon.xpm", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(XpmToIco, TheProjectIconBecomesOne32By32SixteenColourIcon) {
    const std::string ico = writeIco(parseXpm(projectIcon()));
    EXPECT_EQ(read16(ico, 0), 0);  // reserved
    EXPECT_EQ(read16(ico, 2), 1);  // an icon
    EXPECT_EQ(read16(ico, 4), 1);  // one picture
    EXPECT_EQ(static_cast<unsigned char>(ico[6]), 32);
    EXPECT_EQ(static_cast<unsigned char>(ico[7]), 32);
    EXPECT_EQ(static_cast<unsigned char>(ico[8]), 16);
    EXPECT_EQ(read16(ico, 12), 4);  // bits a pixel
    EXPECT_EQ(read32(ico, 14) + read32(ico, 18), ico.size()) << "the picture fills the file";
    EXPECT_EQ(read32(ico, 22), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(read32(ico, 30), 64u) << "colours and mask, one above the other";
}

TEST(XpmToIco, PixelsKeepTheirColourAndNoneIsTransparent) {
    const std::string ico = writeIco(parseXpm(projectIcon()));
    // the corners are "None"; the monitor's screen is blue; the handset is yellow
    EXPECT_EQ(pixelOf(ico, 0, 0), std::nullopt);
    EXPECT_EQ(pixelOf(ico, 31, 31), std::nullopt);
    EXPECT_EQ(pixelOf(ico, 8, 5), (Colour{0x00, 0x00, 0xFF}));
    EXPECT_EQ(pixelOf(ico, 10, 6), (Colour{0x00, 0xFF, 0xFF}));
    EXPECT_EQ(pixelOf(ico, 2, 28), (Colour{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(pixelOf(ico, 1, 27), (Colour{0x00, 0x00, 0x00}));
}

TEST(XpmToIco, OddWidthsAndShortColourFormsArePaddedAndRead) {
    const IndexedImage image = parseXpm(R"(/* XPM */
static char* x[] = {
/* a comment with "quotes" inside */
"3 2 3 1",
"  c None",
"r c #F00",
"g c #00ff00 s green",
"rg ",
" gr"};)");
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.palette.size(), 2u);
    const std::string ico = writeIco(image);
    EXPECT_EQ(pixelOf(ico, 0, 0), (Colour{0xFF, 0, 0}));
    EXPECT_EQ(pixelOf(ico, 1, 0), (Colour{0, 0xFF, 0}));
    EXPECT_EQ(pixelOf(ico, 2, 0), std::nullopt);
    EXPECT_EQ(pixelOf(ico, 0, 1), std::nullopt);
    EXPECT_EQ(pixelOf(ico, 2, 1), (Colour{0xFF, 0, 0}));
}

TEST(XpmToIco, BrokenPicturesAreRefusedWithTheReason) {
    const struct {
        const char* name;
        const char* source;
        const char* reason;
    } cases[] = {
        {"no strings", "static char* x[] = {};", "no XPM header"},
        {"short header", R"("2 2 1")", "the header needs"},
        {"bad width", R"("x 1 1 1", "a c #000000", "a")", "width"},
        {"missing rows", R"("1 3 1 1", "a c #000000", "a")", "fewer lines"},
        {"short row", R"("2 1 1 1", "a c #000000", "a")", "row 1"},
        {"unknown key", R"("1 1 1 1", "a c #000000", "b")", "not defined"},
        {"named colour", R"("1 1 1 1", "a c red", "a")", "unsupported colour"},
        {"bad hex", R"("1 1 1 1", "a c #12345G", "a")", "unsupported colour"},
        {"no c key", R"("1 1 1 1", "a m #000000", "a")", "no \"c\" colour"},
        {"key twice", R"("1 1 2 1", "a c #000000", "a c #FFFFFF", "a")", "defined twice"},
        {"open string", R"("1 1 1 1)", "never closed"},
        {"open comment", R"(/* "1 1 1 1")", "never closed"},
    };
    for (const auto& broken : cases) {
        SCOPED_TRACE(broken.name);
        try {
            (void)parseXpm(broken.source);
            ADD_FAILURE() << "accepted";
        } catch (const IconError& error) {
            EXPECT_NE(std::string(error.what()).find(broken.reason), std::string::npos)
                << error.what();
        }
    }
}

TEST(XpmToIco, MoreThanSixteenColoursOrSizesPast256AreRefused) {
    IndexedImage many;
    many.width = 17;
    many.height = 1;
    for (int i = 0; i < 17; ++i) {
        many.palette.push_back({static_cast<std::uint8_t>(i), 0, 0});
        many.pixels.push_back(i);
    }
    EXPECT_THROW((void)writeIco(many), IconError);
    IndexedImage wide;
    wide.width = 257;
    wide.height = 1;
    wide.pixels.assign(257, IndexedImage::kTransparent);
    EXPECT_THROW((void)writeIco(wide), IconError);
}

}  // namespace
}  // namespace zorvik::icon
