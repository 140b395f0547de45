// Checks the committed assets/ files: every header field the shells and the resource compiler
// rely on, the cursor's hot spot, the picture's quiet text areas, and that the generator
// still reproduces each file byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/make_assets/assets.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes read_asset(const std::string& name) {
    std::ifstream in(std::string(TAVIK_ASSETS_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t le(const Bytes& b, std::size_t at, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t i = width; i-- > 0;)
        v = v << 8 | b.at(at + i);
    return v;
}

struct Field {
    const char* name;
    std::size_t offset;
    std::size_t width;
    std::uint32_t expected;
};

void expect_fields(const Bytes& file, const std::vector<Field>& fields) {
    for (const Field& f : fields)
        EXPECT_EQ(le(file, f.offset, f.width), f.expected) << f.name;
}

// The 40-byte information header of a 32 x 32, 16-colour icon or cursor image at offset 22.
const std::vector<Field> kIconImageHeader{
    {"header size", 22, 4, 40},      {"width", 26, 4, 32},
    {"height (XOR+AND)", 30, 4, 64}, {"planes", 34, 2, 1},
    {"bits per pixel", 36, 2, 4},    {"compression", 38, 4, 0},
    {"image size", 42, 4, 640},      {"x resolution", 46, 4, 0},
    {"y resolution", 50, 4, 0},      {"colours used", 54, 4, 0},
    {"colours important", 58, 4, 0},
};

constexpr std::size_t kPaletteAt = 62, kXorAt = kPaletteAt + 64, kAndAt = kXorAt + 512;

// Pixel (x, y), y counted from the top, in a 32 x 32 icon image stored bottom-up.
bool transparent(const Bytes& file, int x, int y) {
    const std::size_t row = kAndAt + static_cast<std::size_t>(31 - y) * 4;
    return (file.at(row + static_cast<std::size_t>(x / 8)) >> (7 - x % 8)) & 1;
}
unsigned colour_index(const Bytes& file, int x, int y) {
    const std::uint8_t pair =
        file.at(kXorAt + static_cast<std::size_t>(31 - y) * 16 + static_cast<std::size_t>(x / 2));
    return x % 2 == 0 ? pair >> 4 : pair & 0x0Fu;
}

// background.bmp and its 2x rendition: 500 x 375 and 1000 x 750, 24 bits, bottom-up.
TEST(BackgroundBitmap, HeadersDescribeTrueColourPicturesAtOneAndTwoTimes) {
    for (const std::uint32_t scale : {1u, 2u}) {
        const Bytes bmp = read_asset(scale == 1 ? "background.bmp" : "background@2x.bmp");
        const std::uint32_t w = 500 * scale, h = 375 * scale, image = w * 3 * h;
        ASSERT_EQ(bmp.size(), 54 + image);
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        expect_fields(bmp, {
                               {"file size", 2, 4, 54 + image},
                               {"reserved", 6, 4, 0},
                               {"pixel offset", 10, 4, 54},
                               {"header size", 14, 4, 40},
                               {"width", 18, 4, w},
                               {"height (bottom-up)", 22, 4, h},
                               {"planes", 26, 2, 1},
                               {"bits per pixel", 28, 2, 24},
                               {"compression", 30, 4, 0},
                               {"image size", 34, 4, image},
                               {"x resolution", 38, 4, 0},
                               {"y resolution", 42, 4, 0},
                               {"colours used", 46, 4, 0},
                               {"colours important", 50, 4, 0},
                           });
    }
}

// The 2x rendition is the same drawing (each 2 x 2 block averages to about its 1x pixel) with
// finer detail: the lettering's slants and the ink's edges, which the 1x pixels enlarged lack.
TEST(BackgroundBitmap, TwoTimesRenditionIsTheDrawingAtItsOwnSize) {
    const Bytes one = read_asset("background.bmp"), two = read_asset("background@2x.bmp");
    ASSERT_EQ(one.size(), 562554u);
    ASSERT_EQ(two.size(), 2250054u);
    const auto at = [](const Bytes& b, std::size_t w, std::size_t h, std::size_t x, std::size_t y,
                       std::size_t c) { return b[54 + (h - 1 - y) * w * 3 + x * 3 + c]; };
    int far = 0, finer = 0;
    for (std::size_t y = 0; y < 375; ++y)
        for (std::size_t x = 0; x < 500; ++x)
            for (std::size_t c = 0; c < 3; ++c) {
                const int p = at(one, 500, 375, x, y, c);
                int sum = 0;
                bool differs = false;
                for (std::size_t d = 0; d < 4; ++d) {
                    const int q = at(two, 1000, 750, 2 * x + d % 2, 2 * y + d / 2, c);
                    sum += q;
                    differs = differs || q != p;
                }
                far += std::abs(sum / 4 - p) > 64 ? 1 : 0;
                finer += differs ? 1 : 0;
            }
    EXPECT_LT(far, 500 * 375 * 3 / 50) << "the 2x rendition shows the same picture";
    EXPECT_GT(finer, 5000) << "the 2x rendition is more than the 1x pixels enlarged";
}

// Dark item text and the black title are drawn over these areas, so they must stay light.
TEST(BackgroundBitmap, TitleAndItemAreasStayLight) {
    const Bytes bmp = read_asset("background.bmp");
    ASSERT_EQ(bmp.size(), 562554u);
    const auto luma = [&](int x, int y) {
        const std::size_t at =
            54 + static_cast<std::size_t>(374 - y) * 1500 + static_cast<std::size_t>(x) * 3;
        return 0.114 * bmp[at] + 0.587 * bmp[at + 1] + 0.299 * bmp[at + 2];
    };
    struct Area {
        const char* name;
        int left, top, right, bottom;
        double max_dark_share;
    };
    for (const Area& a :
         {Area{"title", 8, 8, 230, 44, 0.0}, Area{"items", 40, 100, 300, 330, 0.01}}) {
        int dark = 0, all = 0;
        for (int y = a.top; y < a.bottom; ++y)
            for (int x = a.left; x < a.right; ++x, ++all)
                dark += luma(x, y) < 150 ? 1 : 0;
        EXPECT_LE(dark, a.max_dark_share * all) << a.name;
    }
}

TEST(HandCursor, HeadersDescribeOne32By32SixteenColourCursor) {
    const Bytes cur = read_asset("hand.cur");
    ASSERT_EQ(cur.size(), 766u);
    expect_fields(cur, {
                           {"reserved", 0, 2, 0},
                           {"type (cursor)", 2, 2, 2},
                           {"image count", 4, 2, 1},
                           {"width", 6, 1, 32},
                           {"height", 7, 1, 32},
                           {"colour count", 8, 1, 0},
                           {"entry reserved", 9, 1, 0},
                           {"hot spot x", 10, 2, 12},
                           {"hot spot y", 12, 2, 1},
                           {"image size", 14, 4, 744},
                           {"image offset", 18, 4, 22},
                       });
    expect_fields(cur, kIconImageHeader);
}

TEST(HandCursor, HotSpotIsTheOpaqueBlackFingertip) {
    const Bytes cur = read_asset("hand.cur");
    ASSERT_EQ(cur.size(), 766u);
    EXPECT_FALSE(transparent(cur, 12, 1));
    EXPECT_EQ(colour_index(cur, 12, 1), 0u) << "the outline is black";
    EXPECT_TRUE(transparent(cur, 0, 0));
    EXPECT_TRUE(transparent(cur, 31, 31));
}

TEST(AppIcon, HeadersDescribeOne32By32SixteenColourIcon) {
    const Bytes ico = read_asset("app.ico");
    ASSERT_EQ(ico.size(), 766u);
    expect_fields(ico, {
                           {"reserved", 0, 2, 0},
                           {"type (icon)", 2, 2, 1},
                           {"image count", 4, 2, 1},
                           {"width", 6, 1, 32},
                           {"height", 7, 1, 32},
                           {"colour count", 8, 1, 16},
                           {"entry reserved", 9, 1, 0},
                           {"planes", 10, 2, 0},
                           {"bit count", 12, 2, 0},
                           {"image size", 14, 4, 744},
                           {"image offset", 18, 4, 22},
                       });
    expect_fields(ico, kIconImageHeader);
    EXPECT_EQ(le(ico, 18, 4) + le(ico, 14, 4), ico.size()) << "the image ends the file";
}

// Both files: the VGA colours in BGRA order, and no colour under a transparent pixel (a
// colour there would invert the screen behind the cursor or icon).
TEST(IconImages, UseTheVgaPaletteAndBlackUnderTransparentPixels) {
    const std::uint32_t kVga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                    0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                    0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (const char* name : {"hand.cur", "app.ico"}) {
        SCOPED_TRACE(name);
        const Bytes file = read_asset(name);
        ASSERT_EQ(file.size(), 766u);
        for (std::size_t i = 0; i < 16; ++i)
            EXPECT_EQ(le(file, kPaletteAt + 4 * i, 4), kVga[i]) << "colour " << i;
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                if (transparent(file, x, y))
                    EXPECT_EQ(colour_index(file, x, y), 0u) << x << "," << y;
                else
                    ++opaque;
            }
        EXPECT_GT(opaque, 200) << "a picture, not an empty image";
        EXPECT_LT(opaque, 1024) << "a shape, not a filled square";
    }
}

TEST(Generator, ReproducesEveryCommittedFileByteForByte) {
    for (const auto& [name, bytes] : make_assets::make_all_assets()) {
        SCOPED_TRACE(name);
        const Bytes committed = read_asset(name);
        ASSERT_FALSE(committed.empty());
        EXPECT_TRUE(bytes == committed) << "rerun make-assets assets/ and commit the result";
    }
}

} // namespace
