// A recording forms::Platform for tests: fixed text metrics, a call log, and switches for the
// answers of the drive change, program start and picture load.
#pragma once

#include <new>
#include <set>
#include <string>
#include <vector>

#include "app/forms/platform.h"

namespace testing_support {

class FakePicture : public forms::Picture {
public:
    int width_px() const override { return 10; }
    int height_px() const override { return 10; }
};

class FakePlatform : public forms::Platform {
public:
    // Each character is 10 twips per point wide (12 bold); a line is 20 twips per point high.
    forms::Extent measure_text(std::string_view text, const forms::Font& font) override {
        return {static_cast<float>(text.size()) * font.size * (font.bold ? 12.0f : 10.0f),
                font.size * 20.0f};
    }
    void invalidate(const forms::Rect& area) override { invalidated.push_back(area); }
    std::shared_ptr<const forms::Picture> load_picture(const std::string& path) override {
        picture_requests.push_back(path);
        if (loadable_pictures.count(path) == 0)
            return nullptr;
        return std::make_shared<FakePicture>();
    }
    void set_cursor(forms::Cursor c) override { cursor = c; }
    std::string executable_folder() override { return folder; }
    char path_separator() const override { return separator; }
    bool change_drive(std::string_view drive) override {
        drives.emplace_back(drive);
        const char c = drive.empty() ? '\0' : drive[0];
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    bool start_program(const std::string& command_line) override {
        if (start_throws)
            throw std::bad_alloc();
        started.push_back(command_line);
        return !command_line.empty();
    }
    void quit() override { ++quits; }

    std::string folder = "D:\\";
    char separator = '\\';
    bool start_throws = false; // as a start that runs out of memory would
    std::set<std::string> loadable_pictures;
    std::vector<std::string> picture_requests;
    std::vector<forms::Rect> invalidated;
    std::vector<std::string> drives;
    std::vector<std::string> started;
    forms::Cursor cursor = forms::Cursor::Arrow;
    int quits = 0;
};

} // namespace testing_support
