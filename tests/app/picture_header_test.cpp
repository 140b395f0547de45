#include "app/forms/picture_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

using forms::PictureKind;

namespace {

using Bytes = std::vector<unsigned char>;

void put_le(Bytes& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
}

void put_be(Bytes& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> (8 * (n - 1 - i)));
}

Bytes bmp(std::int32_t w, std::int32_t h) {
    Bytes b(54, 0);
    b[0] = 'B', b[1] = 'M';
    put_le(b, 14, 40, 4);
    put_le(b, 18, static_cast<std::uint32_t>(w), 4);
    put_le(b, 22, static_cast<std::uint32_t>(h), 4);
    return b;
}

Bytes png(std::uint32_t w, std::uint32_t h) {
    Bytes b(24, 0);
    const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                       0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    std::copy(std::begin(signature), std::end(signature), b.begin());
    put_be(b, 16, w, 4);
    put_be(b, 20, h, 4);
    return b;
}

// SOI, an APP0 segment, then a baseline frame header.
Bytes jpeg(std::uint16_t w, std::uint16_t h, std::size_t app_bytes = 14) {
    Bytes b(6 + app_bytes, 0);
    b[0] = 0xFF, b[1] = 0xD8, b[2] = 0xFF, b[3] = 0xE0;
    put_be(b, 4, static_cast<std::uint32_t>(app_bytes + 2), 2);
    Bytes sof(9, 0);
    sof[0] = 0xFF, sof[1] = 0xC0, sof[3] = 17, sof[4] = 8;
    put_be(sof, 5, h, 2);
    put_be(sof, 7, w, 2);
    b.insert(b.end(), sof.begin(), sof.end());
    return b;
}

TEST(PictureHeader, DeclaredSizesOfEachKind) {
    auto h = forms::read_picture_header(bmp(500, 375));
    EXPECT_EQ(h.kind, PictureKind::Bmp);
    EXPECT_EQ(h.width, 500);
    EXPECT_EQ(h.height, 375);
    EXPECT_EQ(forms::read_picture_header(bmp(500, -375)).height, 375); // top-down rows
    h = forms::read_picture_header(png(100000, 100000));
    EXPECT_EQ(h.kind, PictureKind::Png);
    EXPECT_EQ(h.width, 100000);
    h = forms::read_picture_header(jpeg(640, 480, 3000));
    EXPECT_EQ(h.kind, PictureKind::Jpeg);
    EXPECT_EQ(h.width, 640);
    EXPECT_EQ(h.height, 480);
    const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0x20, 0x03, 0x58, 0x02};
    h = forms::read_picture_header(gif);
    EXPECT_EQ(h.kind, PictureKind::Gif);
    EXPECT_EQ(h.width, 800);
    EXPECT_EQ(h.height, 600);
}

TEST(PictureHeader, BombsAndBrokenHeadersAreRefusedOthersPass) {
    EXPECT_TRUE(forms::picture_size_acceptable(forms::read_picture_header(bmp(500, 375))));
    EXPECT_TRUE(forms::picture_size_acceptable(forms::read_picture_header(jpeg(4000, 3000))));
    EXPECT_FALSE(forms::picture_size_acceptable(forms::read_picture_header(jpeg(16384, 16384))));
    EXPECT_FALSE(forms::picture_size_acceptable(forms::read_picture_header(png(100000, 10))));
    EXPECT_FALSE(forms::picture_size_acceptable(forms::read_picture_header(bmp(30000, 30000))));
    EXPECT_FALSE(forms::picture_size_acceptable(forms::read_picture_header(bmp(-5, 10))));
    EXPECT_FALSE(forms::picture_size_acceptable(forms::read_picture_header(bmp(0, 10))));
    Bytes cut = jpeg(100, 100);
    cut.resize(10); // the frame header is missing
    EXPECT_FALSE(forms::picture_size_acceptable(forms::read_picture_header(cut)));
    const Bytes icon = {0, 0, 1, 0, 1, 0};
    EXPECT_TRUE(forms::picture_size_acceptable(forms::read_picture_header(icon)));
    EXPECT_TRUE(forms::picture_size_acceptable(forms::read_picture_header(Bytes{})));
}

} // namespace
