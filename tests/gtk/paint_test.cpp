// The painter on a real load: frame, designed background, pictures from the settings, label
// colours and boxes, and the hover look. Compares colours and boxes, never glyph shapes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/forms/colors.h"
#include "app/gtk/paint.h"
#include "app/gtk/picture.h"
#include "app/gtk/text.h"
#include "menu/frm_tavik_main.h"
#include "tools/tavik_check/headless_platform.h"

namespace {

namespace fs = std::filesystem;

// The window as 0xRRGGBB pixels.
class Shot {
public:
    explicit Shot(const forms::Form& form) {
        const auto size = gtk_shell::outer_size_px(form);
        width_ = size.width;
        height_ = size.height;
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
        cairo_t* cr = cairo_create(s);
        gtk_shell::paint_window(cr, form);
        cairo_destroy(cr);
        cairo_surface_flush(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                pixels_.push_back(
                    *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4) & 0xFFFFFFu);
        cairo_surface_destroy(s);
    }
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t at(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y * width_ + x)];
    }
    // Pixels of one colour in a client rectangle given in twips.
    int count(const forms::Rect& twips, std::uint32_t rgb) const {
        int n = 0;
        const int x0 = static_cast<int>(twips.left / 15) + 3,
                  y0 = static_cast<int>(twips.top / 15) + 3;
        const int x1 = static_cast<int>(twips.right() / 15) + 3,
                  y1 = static_cast<int>(twips.bottom() / 15) + 3;
        for (int y = std::max(3, y0); y < std::min(height_ - 3, y1); ++y)
            for (int x = std::max(3, x0); x < std::min(width_ - 3, x1); ++x)
                n += at(x, y) == rgb;
        return n;
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// background.bmp read by hand: 24-bit, bottom-up rows padded to 4 bytes.
std::uint32_t bmp_pixel(const std::vector<unsigned char>& bmp, int x, int y) {
    const int width = 500, height = 375, row = (width * 3 + 3) / 4 * 4;
    const std::size_t at = 54 + static_cast<std::size_t>((height - 1 - y) * row + x * 3);
    return static_cast<std::uint32_t>(bmp[at + 2] << 16 | bmp[at + 1] << 8 | bmp[at]);
}

// A classic system colour as 0xRRGGBB.
std::uint32_t system_rgb(int index) {
    const std::uint32_t bgr = forms::classic_system_color(index);
    return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
}

class Painting : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavik-paint-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }
    void write(const std::string& name, const std::string& text) {
        fs::create_directories((fs::path(folder_) / name).parent_path());
        std::ofstream(fs::path(folder_) / name, std::ios::binary) << text;
    }
    std::string folder_;
};

TEST_F(Painting, FrameAndDesignedBackground) {
    check::HeadlessPlatform platform(folder_);
    menu::frmTavikMain form(platform);
    form.Form_Load();
    const Shot shot(form);
    ASSERT_EQ(shot.width(), 503);
    ASSERT_EQ(shot.height(), 380);
    // Raised dialog frame: light and dark outer ring, highlight and shadow inner, then face.
    EXPECT_EQ(shot.at(0, 0), system_rgb(22));
    EXPECT_EQ(shot.at(502, 379), system_rgb(21));
    EXPECT_EQ(shot.at(1, 100), system_rgb(20));
    EXPECT_EQ(shot.at(501, 100), system_rgb(16));
    EXPECT_EQ(shot.at(2, 2), system_rgb(15));
    EXPECT_EQ(shot.at(250, 377), system_rgb(15));

    std::ifstream in(TAVIK_BACKGROUND_BMP, std::ios::binary);
    const std::vector<unsigned char> bmp{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(bmp.size(), 562554u);
    // Away from the title and the Exit label the client is the bitmap, unscaled from (0,0).
    for (const auto& [x, y] : {std::pair{0, 40},
                               {0, 373},
                               {496, 0},
                               {496, 373},
                               {100, 200},
                               {250, 150},
                               {400, 300},
                               {37, 91},
                               {311, 260}})
        EXPECT_EQ(shot.at(x + 3, y + 3), bmp_pixel(bmp, x, y)) << x << "," << y;
}

TEST_F(Painting, LabelsInTheirColoursAndTheHoverLook) {
    write("autorun.inf", "[Menu]\nCaption=Title\nNrOfItems=3\nOffsetX=600\nOffsetY=1500\n"
                         "LineDistance=600\nForeColor=65280\nHighlight=&H00FF00FF\n"
                         "FontSize=12\nItem1=First,a\nItem2=Second,b\nItem3=Third,c\n");
    check::HeadlessPlatform platform(folder_);
    menu::frmTavikMain form(platform);
    form.Form_Load();
    const forms::Rect before = form.lblMenu(1).box();
    const Shot normal(form);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(normal.count(form.lblMenu(i).box(), 0x00FF00), 20) << i;
        EXPECT_EQ(normal.count(form.lblMenu(i).box(), 0xFF00FF), 0) << i;
    }
    // The Exit label is drawn in the configured colour at its designed place (440, 336) px.
    EXPECT_GT(normal.count(form.lblMenu(8).box(), 0x00FF00), 10);
    EXPECT_EQ(form.lblMenu(8).left(), 6600.0f);
    EXPECT_GT(normal.count(form.lblCaption.box(), 0x000000), 50);

    form.mouse_move({before.left + 30, before.top + 30});
    const forms::Rect grown = form.lblMenu(1).box();
    EXPECT_GT(grown.width, before.width);
    EXPECT_GT(grown.height, before.height);
    const Shot hover(form);
    EXPECT_GT(hover.count(grown, 0xFF00FF), 2 * normal.count(before, 0x00FF00) / 3);
    EXPECT_EQ(hover.count(grown, 0x00FF00), 0);
    EXPECT_EQ(hover.count(form.lblMenu(0).box(), 0xFF00FF), 0);

    form.mouse_move({3000, 4500}); // bare background
    const Shot restored(form);
    EXPECT_EQ(restored.count(grown, 0xFF00FF), 0);
    EXPECT_EQ(restored.count(before, 0x00FF00), normal.count(before, 0x00FF00));
}

TEST_F(Painting, PicturesFromTheSettings) {
    // A 20 x 10 red picture under a name in other letter case, written with backslashes.
    fs::create_directories(fs::path(folder_) / "Pics");
    GdkPixbuf* red = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 20, 10);
    gdk_pixbuf_fill(red, 0xFF0000FFu);
    ASSERT_TRUE(gdk_pixbuf_save(red, (folder_ + "/Pics/red.png").c_str(), "png", nullptr, nullptr));
    g_object_unref(red);
    write("autorun.inf", "[Menu]\nPicture=PICS\\RED.PNG\nCaption=\n");
    {
        check::HeadlessPlatform platform(folder_);
        menu::frmTavikMain form(platform);
        form.Form_Load();
        ASSERT_TRUE(form.load_facts().picture_loaded);
        const Shot shot(form);
        EXPECT_EQ(shot.at(3, 3), 0xFF0000u);
        EXPECT_EQ(shot.at(3 + 19, 3 + 9), 0xFF0000u);
        EXPECT_EQ(shot.at(3 + 20, 3 + 9), 0xFFFFFFu); // beyond the picture: the white form
        EXPECT_EQ(shot.at(3 + 200, 3 + 200), 0xFFFFFFu);
    }
    // Refused: a folder, a header declaring 20000 px, a truncated file, a non-picture.
    std::string huge = "BM";
    huge.resize(54, '\0');
    huge[10] = 54;
    huge[14] = 40;
    huge[18] = static_cast<char>(20000 & 0xFF);
    huge[19] = static_cast<char>(20000 >> 8);
    huge[22] = 1;
    huge[26] = 1;
    huge[28] = 24;
    write("huge.bmp", huge);
    write("cut.png", "\x89PNG\r\n\x1a\n");
    write("text.bmp", "hello");
    for (const char* name : {"Pics", "huge.bmp", "cut.png", "text.bmp", "missing.png"})
        EXPECT_EQ(gtk_shell::load_picture_file(folder_ + "/" + name), nullptr) << name;
}

} // namespace
