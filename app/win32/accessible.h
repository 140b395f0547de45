// The menu for screen readers on Win32 (MSAA): the window's client answers WM_GETOBJECT with an
// IAccessible whose simple children are the form's accessible elements. oleacc.dll is none of
// the DLLs every program imports: it is loaded from the system folder on the first request, so
// a menu no reader asks for never loads it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "app/forms/form.h"

namespace win32_shell {

class Win32Platform;
class ClientAccessible;

// Posted by an accessible action, run from the message loop (the caller's call returns
// first): wparam is the element's position. Exit ends the process, and a reader's call that
// never returns would hang the reader.
inline constexpr UINT kAccessibleAction = WM_APP + 1;

class Accessibility {
public:
    Accessibility(HWND window, forms::Form& form, const Win32Platform& platform);
    // Disconnects the object: a reader that still holds it gets errors, never the dead form.
    ~Accessibility();
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;

    // The answer to WM_GETOBJECT; nullopt leaves the request to the default handling.
    std::optional<LRESULT> get_object(WPARAM wparam, LPARAM lparam);
    // Tells readers which items gained or lost the highlight.
    void highlight_moved(std::int16_t from, std::int16_t to);
    void run_action(WPARAM element);

private:
    HWND window_;
    forms::Form& form_;
    const Win32Platform& platform_;
    ClientAccessible* client_ = nullptr; // one reference held while the window lives
};

} // namespace win32_shell
