// Which rendition of a picture a scaled screen takes, and what a change of scale redoes.
#include "app/forms/picture_scale.h"

#include <gtest/gtest.h>

#include "app/forms/form.h"
#include "fake_platform.h"

namespace {

TEST(PictureScale, RenditionsAreTriedNearestLargerFirst) {
    struct Case {
        const char* path;
        double scale;
        std::vector<std::string> tried;
    };
    const Case cases[] = {
        {"D:\\pics\\logo.png", 1.0, {}},
        {"D:\\pics\\logo.png", 0.5, {}},
        {"D:\\pics\\logo.png",
         1.25,
         {"D:\\pics\\logo@2x.png", "D:\\pics\\logo@3x.png", "D:\\pics\\logo@4x.png"}},
        {"/m/a.b/logo.jpeg",
         2.0,
         {"/m/a.b/logo@2x.jpeg", "/m/a.b/logo@3x.jpeg", "/m/a.b/logo@4x.jpeg"}},
        {"/m/a.b/logo", 3.0, {"/m/a.b/logo@3x", "/m/a.b/logo@4x", "/m/a.b/logo@2x"}},
        {"/m/.hidden", 2.5, {"/m/.hidden@3x", "/m/.hidden@4x", "/m/.hidden@2x"}},
        {"x.gif", 6.0, {"x@4x.gif", "x@3x.gif", "x@2x.gif"}},
        {"", 2.0, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> tried;
        for (const forms::Rendition& r : forms::larger_renditions(c.path, c.scale))
            tried.push_back(r.path + " " + std::to_string(r.density));
        std::vector<std::string> want;
        for (const std::string& path : c.tried) // each rendition's density is its @Nx
            want.push_back(path + " " + path.substr(path.rfind('@') + 1, 1));
        EXPECT_EQ(tried, want) << c.path << " at " << c.scale;
    }
    EXPECT_TRUE(forms::rendition_fits(200, 160, 100, 80, 2));
    EXPECT_FALSE(forms::rendition_fits(201, 160, 100, 80, 2));
    EXPECT_FALSE(forms::rendition_fits(200, 160, 100, 80, 3));
    EXPECT_FALSE(forms::rendition_fits(0, 0, 0, 0, 2));
}

// Text twice as wide at scale 2 in twips (as hinting may make it), and a picture per scale.
class ScalingPlatform : public testing_support::FakePlatform {
public:
    forms::Extent measure_text(std::string_view text, const forms::Font& font) override {
        const forms::Extent e = FakePlatform::measure_text(text, font);
        return {e.width * static_cast<float>(factor), e.height};
    }
    double scale() const override { return factor; }
    double factor = 1.0;
};

TEST(PictureScale, AScaleChangeMeasuresEveryLabelAgainAndReloadsThePicture) {
    ScalingPlatform p;
    p.loadable_pictures = {"D:\\logo.png"};
    forms::FormDesign d;
    d.client_width = 7455;
    d.client_height = 5610;
    d.label_array.push_back({"Exit", true, 0, {6600, 5040, 0, 0}, {"F", 10, false, false}, true});
    forms::Form f(p, d);
    f.set_picture("D:\\logo.png");
    const auto first = f.picture();
    const forms::Label& exit = f.label_array()(0);
    EXPECT_EQ(exit.box().width, 400);
    EXPECT_EQ(f.cursor_at({6600 + 500, 5100}), forms::Cursor::Arrow);

    p.factor = 2.0;
    p.invalidated.clear();
    p.picture_requests.clear();
    f.scale_changed();
    EXPECT_EQ(exit.box().width, 800) << "the box as the text is measured now";
    EXPECT_EQ(f.cursor_at({6600 + 500, 5100}), forms::Cursor::Hand) << "hit-testing follows";
    EXPECT_EQ(p.picture_requests, std::vector<std::string>{"D:\\logo.png"});
    EXPECT_NE(f.picture(), first) << "the picture loaded again for the new scale";
    ASSERT_FALSE(p.invalidated.empty());
    EXPECT_EQ(p.invalidated.back().width, 7455) << "the whole client repainted";

    const auto second = f.picture();
    p.loadable_pictures.clear(); // the disc is gone: the picture shown stays
    f.scale_changed();
    EXPECT_EQ(f.picture(), second);
}

} // namespace
