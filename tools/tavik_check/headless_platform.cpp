#include "tools/tavik_check/headless_platform.h"

#include <fstream>

#include "settings/path_case.h"

namespace check {
namespace {

// Only the header is read: enough to know the kind of picture and its size.
class HeaderPicture : public forms::Picture {
public:
    HeaderPicture(int w, int h) : w_(w), h_(h) {}
    int width_px() const override { return w_; }
    int height_px() const override { return h_; }

private:
    int w_, h_;
};

std::string backslashes_to_slashes(std::string path) {
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace

forms::Extent HeadlessPlatform::measure_text(std::string_view text, const forms::Font& font) {
    // An average sans-serif advance of 0.55 em (0.6 bold) and a line of 1.2 em; 20 twips a point.
    const float em = font.size * 20.0f;
    std::size_t chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80; // count UTF-8 characters, not bytes
    return forms::Extent{static_cast<float>(chars) * em * (font.bold ? 0.6f : 0.55f), em * 1.2f};
}

std::shared_ptr<const forms::Picture> HeadlessPlatform::load_picture(const std::string& path) {
    const std::string found = settings::resolve_case_insensitive(backslashes_to_slashes(path));
    std::ifstream in(found, std::ios::binary);
    unsigned char h[8] = {};
    if (!in || !in.read(reinterpret_cast<char*>(h), sizeof h))
        return nullptr;
    const bool known = (h[0] == 'B' && h[1] == 'M') || (h[0] == 0x89 && h[1] == 'P') ||
                       (h[0] == 'G' && h[1] == 'I' && h[2] == 'F') || (h[0] == 0xFF && h[1] == 0xD8);
    if (!known)
        return nullptr;
    return std::make_shared<HeaderPicture>(0, 0);
}

} // namespace check
