// The Win32 services behind the forms core. Strings in the core are ANSI code-page text, as
// the file system's "A" functions take them.
#include "app/win32/platform.h"

#include <climits>

#include "app/win32/picture.h"
#include "app/win32/resource_ids.h"
#include "app/win32/units.h"

namespace win32_shell {
namespace {

// Anti-aliased and bold glyphs may touch a pixel beyond the measured box.
constexpr int kRepaintMargin = 2;

std::string to_ansi(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int n = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), n, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string current_directory() {
    char buf[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

} // namespace

Win32Platform::Win32Platform(HINSTANCE instance, FontCache& fonts, unsigned dpi)
    : fonts_(fonts), instance_(instance), dpi_(0),
      arrow_(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))) { // IDC_ARROW
    set_dpi(dpi);
}

Win32Platform::~Win32Platform() {
    if (!hand_shared_)
        DestroyCursor(hand_);
}

void Win32Platform::set_dpi(unsigned dpi) {
    if (dpi == dpi_ && hand_ != nullptr)
        return;
    dpi_ = dpi;
    // The hand at the DPI's cursor size (32 px at 96 DPI): LoadCursor would give the system
    // DPI's size, which a window on another monitor does not have.
    HCURSOR hand = nullptr;
    if (dpi != kBaseDpi) {
        const int side = scale_px(32, dpi);
        hand = static_cast<HCURSOR>(LoadImageW(instance_, MAKEINTRESOURCEW(TAVIK_IDC_HAND),
                                               IMAGE_CURSOR, side, side, LR_DEFAULTCOLOR));
    }
    const bool shared = hand == nullptr;
    if (hand == nullptr)
        hand = LoadCursorW(instance_, MAKEINTRESOURCEW(TAVIK_IDC_HAND));
    if (hand == nullptr)
        hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)); // IDC_HAND
    if (!hand_shared_ && hand_ != nullptr && GetCursor() != hand_)
        DestroyCursor(hand_); // a cursor still shown is left to the process's end
    hand_ = hand;
    hand_shared_ = shared;
}

HCURSOR Win32Platform::cursor(forms::Cursor which) const {
    return which == forms::Cursor::Hand ? hand_ : arrow_;
}

forms::Extent Win32Platform::measure_text(std::string_view text, const forms::Font& font) {
    return win32_shell::measure_text(fonts_, text, font, dpi_);
}

void Win32Platform::invalidate(const forms::Rect& area) {
    if (window_ == nullptr || area.empty())
        return; // before the window exists its first paint shows everything
    const RECT r{to_px(area.left, dpi_) - kRepaintMargin, to_px(area.top, dpi_) - kRepaintMargin,
                 to_px(area.right(), dpi_) + kRepaintMargin,
                 to_px(area.bottom(), dpi_) + kRepaintMargin};
    InvalidateRect(window_, &r, FALSE);
}

std::shared_ptr<const forms::Picture> Win32Platform::load_picture(const std::string& path) {
    return load_picture_file(path, dpi_);
}

void Win32Platform::set_cursor(forms::Cursor which) {
    SetCursor(cursor(which));
}

std::string Win32Platform::executable_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return {};
    path.resize(slash);
    if (path.size() == 2 && path[1] == L':')
        path += L'\\'; // a drive root keeps its backslash
    return to_ansi(path);
}

bool Win32Platform::change_drive(std::string_view drive) {
    if (drive.empty())
        return false;
    char letter = drive.front();
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z')
        return false;
    // Each drive's current folder lives in an "=X:" variable: keep the one we leave, then
    // "X:" alone resolves to the target drive's remembered folder, or else its root.
    const std::string before = current_directory();
    if (before.size() >= 2 && before[1] == ':') {
        const char name[] = {'=', before[0], ':', '\0'};
        SetEnvironmentVariableA(name, before.c_str());
    }
    const char relative[] = {letter, ':', '\0'};
    const char root[] = {letter, ':', '\\', '\0'};
    if (!SetCurrentDirectoryA(relative) && !SetCurrentDirectoryA(root))
        return false;
    const char name[] = {'=', letter, ':', '\0'};
    SetEnvironmentVariableA(name, current_directory().c_str());
    return true;
}

bool Win32Platform::start_program(const std::string& command_line) {
    std::string buffer = command_line; // CreateProcessA may write into the command line
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (buffer.empty() || !CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

void follow_dpi(Win32Platform& platform, forms::Form& form, unsigned dpi) {
    if (dpi == 0 || dpi == platform.dpi())
        return;
    platform.set_dpi(dpi);
    form.scale_changed();
}

void Win32Platform::quit() {
    ExitProcess(0);
}

} // namespace win32_shell
