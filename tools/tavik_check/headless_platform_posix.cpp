#include "tools/tavik_check/headless_platform.h"

#include "app/gtk/picture.h"
#include "app/gtk/text.h"

namespace check {

// The Linux window's own text metrics and picture loader: the check and the window agree. Text
// is measured in window pixels at every scale, as GTK measures it.
forms::Extent HeadlessPlatform::measure_text(std::string_view text, const forms::Font& font) {
    return gtk_shell::measure_text(text, font);
}

std::shared_ptr<const forms::Picture> HeadlessPlatform::load_picture(const std::string& path) {
    return gtk_shell::load_picture_file(path, scale_);
}

char HeadlessPlatform::path_separator() const {
    return '/';
}

std::string text_as_utf8(std::string_view text) {
    return std::string(text);
}

std::string path_text(const std::filesystem::path& path) {
    return path.string();
}

std::size_t utf16_units(const std::filesystem::path& name) {
    std::size_t n = 0;
    for (const char c : name.string()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            n += byte >= 0xF0 ? 2 : 1; // beyond the BMP: a surrogate pair
    }
    return n;
}

} // namespace check
