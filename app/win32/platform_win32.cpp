// The Win32 services behind the forms core. Strings in the core are ANSI code-page text, as
// the file system's "A" functions take them.
#include "app/win32/platform_win32.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "app/forms/picture_header.h"
#include "app/win32/dpi.h"
#include "app/win32/gdi_handles.h"
#include "app/win32/resource_ids.h"

namespace win32 {
namespace {

constexpr int kHimetricPerInch = 2540;
// Enough of a file to find a JPEG's size behind its metadata segments.
constexpr std::size_t kPictureHeadBytes = 256 * 1024;
// Anti-aliased and bold glyphs may touch a pixel beyond the measured box.
constexpr int kRepaintMargin = 2;

std::wstring to_wide(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int n = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    if (wide <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), n, out.data(), wide);
    return out;
}

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

// Only a regular file whose header declares a sane size goes to the decoder: a folder, a device
// or a pipe named by the settings could block it, and a picture claiming gigapixels would take
// seconds and gigabytes to decode (real Windows decodes JPEG and GIF this way too).
bool acceptable_picture_file(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetFileType(file) == FILE_TYPE_DISK &&
              (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (ok) {
        std::vector<unsigned char> head(kPictureHeadBytes);
        DWORD read = 0;
        ok = ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr) != 0;
        head.resize(read);
        ok = ok && forms::picture_size_acceptable(forms::read_picture_header(head));
    }
    CloseHandle(file);
    return ok;
}

// OLE reports sizes in HIMETRIC, derived from the screen's pixel density: convert back with it.
int himetric_to_px(long himetric, int logpixels) {
    return MulDiv(static_cast<int>(himetric), logpixels, kHimetricPerInch);
}

std::string current_directory() {
    char buf[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

} // namespace

void OlePicture::render(HDC dc, int x, int y, int width, int height) const {
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Width(&w);
    picture_->get_Height(&h);
    // Source rectangles run bottom-up in HIMETRIC.
    picture_->Render(dc, x, y, width, height, 0, h, w, -h, nullptr);
}

PlatformWin32::PlatformWin32(HINSTANCE instance, FontCache& fonts, unsigned dpi)
    : fonts_(fonts), dpi_(dpi), hand_(LoadCursorW(instance, MAKEINTRESOURCEW(TAVIK_IDC_HAND))),
      arrow_(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))) { // IDC_ARROW
    if (hand_ == nullptr)
        hand_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)); // IDC_HAND
}

HCURSOR PlatformWin32::cursor(forms::Cursor which) const {
    return which == forms::Cursor::Hand ? hand_ : arrow_;
}

forms::Extent PlatformWin32::measure_text(std::string_view text, const forms::Font& font) {
    MemoryDc dc(nullptr);
    HFONT handle = fonts_.get(font, dpi_);
    if (!dc || handle == nullptr)
        return {};
    Selection selected(dc.get(), handle);
    SIZE size{};
    const int n = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    if (!GetTextExtentPoint32A(dc.get(), text.data(), n, &size))
        return {};
    return forms::Extent{to_twips(size.cx, dpi_), to_twips(size.cy, dpi_)};
}

void PlatformWin32::invalidate(const forms::Rect& area) {
    if (window_ == nullptr || area.empty())
        return; // before the window exists its first paint shows everything
    const RECT r{to_px(area.left, dpi_) - kRepaintMargin, to_px(area.top, dpi_) - kRepaintMargin,
                 to_px(area.right(), dpi_) + kRepaintMargin,
                 to_px(area.bottom(), dpi_) + kRepaintMargin};
    InvalidateRect(window_, &r, FALSE);
}

std::shared_ptr<const forms::Picture> PlatformWin32::load_picture(const std::string& path) {
    const std::wstring wide = to_wide(path);
    if (wide.empty() || !acceptable_picture_file(wide))
        return nullptr;
    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicturePath(const_cast<LPOLESTR>(wide.c_str()), nullptr, 0, 0,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
    if (FAILED(hr) || picture == nullptr)
        return nullptr;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    HDC screen = GetDC(nullptr);
    const int width = himetric_to_px(w, GetDeviceCaps(screen, LOGPIXELSX));
    const int height = himetric_to_px(h, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return std::make_shared<OlePicture>(picture, width, height);
}

void PlatformWin32::set_cursor(forms::Cursor which) {
    SetCursor(cursor(which));
}

std::string PlatformWin32::executable_folder() {
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

bool PlatformWin32::change_drive(std::string_view drive) {
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

bool PlatformWin32::start_program(const std::string& command_line) {
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

void PlatformWin32::quit() {
    ExitProcess(0);
}

} // namespace win32
