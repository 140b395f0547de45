// A window-less forms::Platform: the check tool runs the menu's real load on it. It measures
// text and loads pictures as the menu of the platform it runs on (the files named for each
// platform), but never starts programs or ends the process.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "app/forms/platform.h"

namespace check {

class HeadlessPlatform : public forms::Platform {
public:
    // scale: device pixels per designed pixel, as on a screen of that scale (1: 96 DPI).
    explicit HeadlessPlatform(std::string folder, double scale = 1.0)
        : folder_(std::move(folder)), scale_(scale) {}

    double scale() const override { return scale_; }

    forms::Extent measure_text(std::string_view text, const forms::Font& font) override;
    void invalidate(const forms::Rect&) override {}
    std::shared_ptr<const forms::Picture> load_picture(const std::string& path) override;
    void set_cursor(forms::Cursor) override {}
    std::string executable_folder() override { return folder_; }
    char path_separator() const override;
    bool change_drive(std::string_view) override { return true; }
    bool start_program(const std::string&) override { return false; }
    void quit() override {}

private:
    std::string folder_;
    double scale_;
};

// The menu's text as UTF-8, as JSON carries it: on Windows the menu holds the ANSI code page's
// bytes (as the profile function returns them), elsewhere UTF-8 already.
std::string text_as_utf8(std::string_view text);

// A path as the menu's text (the ANSI code page on Windows, where std::filesystem would give
// UTF-8), and the length of a file name in UTF-16 units, as Joliet counts it.
std::string path_text(const std::filesystem::path& path);
std::size_t utf16_units(const std::filesystem::path& name);

} // namespace check
