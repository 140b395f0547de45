// forms::Platform on Win32: GDI text metrics, repaint requests, OLE picture loading, the hand
// cursor, the executable's folder, drive change and program start. Works before the window
// exists (the load runs first): metrics come from a memory DC, repaints wait for the window.
#pragma once

#include <windows.h>

#include "app/forms/form.h"
#include "app/forms/platform.h"
#include "app/win32/text.h"
#include "app/win32/units.h"

namespace win32_shell {

class Win32Platform final : public forms::Platform {
public:
    Win32Platform(HINSTANCE instance, FontCache& fonts, unsigned dpi);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // Repaints go to this window from now on.
    void attach(HWND window) { window_ = window; }
    unsigned dpi() const { return dpi_; }
    // Text, pictures and the hand cursor at this DPI from now on.
    void set_dpi(unsigned dpi);
    HCURSOR cursor(forms::Cursor which) const;
    double scale() const override { return scale_of(dpi_); }

    forms::Extent measure_text(std::string_view text, const forms::Font& font) override;
    void invalidate(const forms::Rect& area) override;
    std::shared_ptr<const forms::Picture> load_picture(const std::string& path) override;
    void set_cursor(forms::Cursor cursor) override;
    std::string executable_folder() override;
    char path_separator() const override { return '\\'; }
    bool change_drive(std::string_view drive) override;
    bool start_program(const std::string& command_line) override;
    [[noreturn]] void quit() override;

private:
    FontCache& fonts_;
    HINSTANCE instance_;
    unsigned dpi_;
    HWND window_ = nullptr;
    HCURSOR hand_ = nullptr;
    bool hand_shared_ = true; // the system's or LoadCursor's: never destroyed
    HCURSOR arrow_;
};

// The window went to another DPI: text, pictures and the hand cursor at it from now on, and the
// form measured and its picture loaded again, as if it had started there (what WM_DPICHANGED
// asks besides the window's new size).
void follow_dpi(Win32Platform& platform, forms::Form& form, unsigned dpi);

} // namespace win32_shell
