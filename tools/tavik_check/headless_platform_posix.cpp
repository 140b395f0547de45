#include "tools/tavik_check/headless_platform.h"

#include "app/gtk/picture.h"
#include "app/gtk/text.h"

namespace check {

// The Linux window's own text metrics and picture loader: the check and the window agree.
forms::Extent HeadlessPlatform::measure_text(std::string_view text, const forms::Font& font) {
    return gtk_shell::measure_text(text, font);
}

std::shared_ptr<const forms::Picture> HeadlessPlatform::load_picture(const std::string& path) {
    return gtk_shell::load_picture_file(path);
}

char HeadlessPlatform::path_separator() const {
    return '/';
}

std::string text_as_utf8(std::string_view text) {
    return std::string(text);
}

} // namespace check
