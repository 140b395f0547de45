// The preview on Windows: setup.exe's window of app/win32 (captioned, movable), and
// ReadDirectoryChangesW on the folders of the settings file and of its picture, waited for
// with the window's messages in one MsgWaitForMultipleObjects, so nothing runs while nothing
// changes. Folders are watched rather than files: an editor that saves by renaming a new file
// over the old one replaces the file.
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <climits>
#include <iostream>
#include <list>

#include "app/forms/last_guard.h"
#include "app/win32/paint.h"
#include "app/win32/platform.h"
#include "app/win32/text.h"
#include "app/win32/units.h"
#include "app/win32/window.h"
#include "tools/tavik_check/preview_run.h"

namespace check {
namespace {

using forms::last_guard;
using win32_shell::to_px;

// Events of one save come in a burst (truncate, writes, close; or create, write, rename):
// the load waits this long after the last one, and runs once.
constexpr DWORD kSettleMs = 40;
constexpr DWORD kNotifyFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_CREATION;
constexpr COLORREF kOverlayColor = RGB(0, 255, 255); // cyan, seldom a menu's own

std::string to_ansi(const wchar_t* text, std::size_t length) {
    if (length == 0 || length > INT_MAX)
        return {};
    const int n = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, n, out.data(), bytes, nullptr, nullptr);
    return out;
}

// One watched folder: its handle, the read under way and the buffer it fills.
class FolderWatch {
public:
    explicit FolderWatch(std::string folder) : folder_(std::move(folder)) {
        handle_ =
            CreateFileW(win32_shell::to_wide(folder_).c_str(), FILE_LIST_DIRECTORY,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (handle_ != INVALID_HANDLE_VALUE && overlapped_.hEvent != nullptr)
            read();
        error_ = reading_ ? 0 : GetLastError();
    }
    ~FolderWatch() {
        if (reading_) { // the system writes into the buffer until the read is over
            CancelIo(handle_);
            DWORD n = 0;
            GetOverlappedResult(handle_, &overlapped_, &n, TRUE);
        }
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        if (overlapped_.hEvent != nullptr)
            CloseHandle(overlapped_.hEvent);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    const std::string& folder() const { return folder_; }
    bool reading() const { return reading_; }
    // Why the watch does not run: a system error code, 0 while it runs.
    DWORD error() const { return error_; }
    HANDLE event() const { return overlapped_.hEvent; }

    // The names the finished read reports, and the next read started; `lost` when the system
    // had more changes than the buffer held.
    std::vector<std::string> take(bool& lost) {
        std::vector<std::string> names;
        DWORD n = 0;
        reading_ = false;
        const bool ok = GetOverlappedResult(handle_, &overlapped_, &n, FALSE) != 0;
        lost = !ok || n == 0;
        for (DWORD at = 0; ok && n > 0 && at + sizeof(FILE_NOTIFY_INFORMATION) <= n;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
            names.push_back(to_ansi(info->FileName, info->FileNameLength / sizeof(wchar_t)));
            if (info->NextEntryOffset == 0)
                break;
            at += info->NextEntryOffset;
        }
        read();
        return names;
    }

private:
    void read() {
        ResetEvent(overlapped_.hEvent);
        reading_ = ReadDirectoryChangesW(handle_, buffer_, sizeof buffer_, FALSE, kNotifyFilter,
                                         nullptr, &overlapped_, nullptr) != 0;
    }

    std::string folder_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped_{};
    bool reading_ = false;
    DWORD error_ = 0;
    alignas(DWORD) BYTE buffer_[16384];
};

class Win32Preview final : public win32_shell::WindowHooks {
public:
    // --scale draws at that scale's DPI on any monitor; else at the monitor's, as setup.exe.
    Win32Preview(HINSTANCE instance, const PreviewOptions& options)
        : instance_(instance), platform_(instance, fonts_,
                                         options.scale_given ? win32_shell::dpi_for(options.scale)
                                                             : win32_shell::screen_dpi()),
          painter_(instance, fonts_), preview_(platform_, options, std::cout),
          fixed_dpi_(options.scale_given) {}

    int run();

    void key_pressed(WPARAM key) override {
        if (key == 'O')
            preview_.toggle_overlay();
    }

    void pointer_moved(forms::Point at) override {
        preview_.pointer_at(at);
        if (preview_.overlay() && window_)
            InvalidateRect(window_->window(), nullptr, FALSE);
    }

    void paint_over(HDC dc, unsigned dpi) override;

private:
    void text(HDC dc, const std::string& text, int x, int y, int box_left, int client_width,
              unsigned dpi);
    void watch_files();
    bool changed_files();
    void reload();

    HINSTANCE instance_;
    win32_shell::FontCache fonts_;
    win32_shell::Win32Platform platform_;
    win32_shell::Painter painter_;
    Preview preview_;
    std::unique_ptr<win32_shell::MenuWindow> window_;
    bool fixed_dpi_;
    std::list<FolderWatch> watches_;
    std::vector<WatchedFile> files_;
};

// A text on black; beside the box it names when there is room, else inside it.
void Win32Preview::text(HDC dc, const std::string& text, int x, int y, int box_left,
                        int client_width, unsigned dpi) {
    HFONT font = fonts_.get(forms::Font{"MS Sans Serif", 7, false, false}, dpi);
    if (font == nullptr)
        return;
    const HGDIOBJ before = SelectObject(dc, font);
    const int n = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), n, &size);
    if (x + size.cx + 4 > client_width)
        x = box_left - size.cx - 6;
    if (x < 0)
        x = std::max(box_left + 1, 0);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, kOverlayColor);
    TextOutA(dc, x + 2, y, text.data(), n);
    SelectObject(dc, before);
}

void Win32Preview::paint_over(HDC dc, unsigned dpi) {
    if (!preview_.overlay())
        return;
    const int width = to_px(preview_.form().client_width(), dpi);
    const int height = to_px(preview_.form().client_height(), dpi);
    HBRUSH brush = CreateSolidBrush(kOverlayColor);
    for (const OverlayBox& b : preview_.overlay_boxes()) {
        const RECT r{to_px(b.box.left, dpi), to_px(b.box.top, dpi), to_px(b.box.right(), dpi),
                     to_px(b.box.bottom(), dpi)};
        if (brush != nullptr)
            FrameRect(dc, &r, brush);
        text(dc, b.text, r.right + 2, r.top, r.left, width, dpi);
    }
    if (brush != nullptr)
        DeleteObject(brush);
    text(dc, preview_.pointer_text(), 0, height - 14, 0, width, dpi);
}

// The folders the last load read from, and only those.
void Win32Preview::watch_files() {
    files_ = preview_.watched();
    std::vector<std::string> folders;
    for (const WatchedFile& f : files_)
        if (std::find(folders.begin(), folders.end(), f.folder) == folders.end())
            folders.push_back(f.folder);
    watches_.remove_if([&](const FolderWatch& w) { // and those that failed: tried again
        return !w.reading() ||
               std::find(folders.begin(), folders.end(), w.folder()) == folders.end();
    });
    for (const std::string& folder : folders) {
        const bool watched =
            std::any_of(watches_.begin(), watches_.end(),
                        [&](const FolderWatch& w) { return w.folder() == folder; });
        if (watched)
            continue;
        const DWORD error = watches_.emplace_back(folder).error();
        // A folder that is not there yet holds nothing to load.
        if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            std::cerr << "tavik-check: cannot watch " << folder << " (error " << error << ")\n";
    }
}

// Whether a finished read names a watched file (or lost track of what changed).
bool Win32Preview::changed_files() {
    bool changed = false;
    for (FolderWatch& w : watches_) {
        if (!w.reading() || WaitForSingleObject(w.event(), 0) != WAIT_OBJECT_0)
            continue;
        bool lost = false;
        for (const std::string& name : w.take(lost))
            changed = changed || is_watched(files_, w.folder(), name);
        changed = changed || lost;
    }
    return changed;
}

void Win32Preview::reload() {
    // The profile functions keep the file they read last, and know a change by its time stamp:
    // a save within the file system's tick (2 s on FAT) would go unseen. Three nulls flush
    // that cache; nothing is written.
    const std::string& settings = preview_.form().load_facts().SettingsPath; // the last load's
    if (!settings.empty())
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings.c_str());
    const auto old = preview_.reload();
    if (window_)
        window_->show_form(preview_.form());
    watch_files();
}

int Win32Preview::run() {
    reload(); // the first load, before the window is first shown, as in the menu
    window_ = std::make_unique<win32_shell::MenuWindow>(
        instance_, platform_, painter_, preview_.form(), win32_shell::WindowKind::Preview, this);
    if (fixed_dpi_)
        window_->keep_dpi();
    const std::wstring title =
        L"Tavik preview: " + win32_shell::to_wide(preview_.executable_folder());
    if (!window_->open(title.c_str())) {
        std::cerr << "tavik-check: cannot open the preview's window\n";
        return 2;
    }
    DWORD settle_until = 0;
    bool settling = false;
    for (;;) {
        std::vector<HANDLE> events;
        for (const FolderWatch& w : watches_)
            if (w.reading())
                events.push_back(w.event());
        DWORD wait = INFINITE;
        if (settling) {
            const DWORD now = GetTickCount();
            wait = static_cast<LONG>(settle_until - now) > 0 ? settle_until - now : 0;
        }
        const DWORD n = static_cast<DWORD>(events.size());
        const DWORD woke = MsgWaitForMultipleObjects(n, events.data(), FALSE, wait, QS_ALLINPUT);
        if (woke == WAIT_TIMEOUT) {
            settling = false;
            last_guard([&] { reload(); });
        } else if (woke < WAIT_OBJECT_0 + n) {
            bool changed = false;
            last_guard([&] { changed = changed_files(); });
            if (changed) {
                settling = true;
                settle_until = GetTickCount() + kSettleMs;
            }
        } else if (woke == WAIT_OBJECT_0 + n) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT)
                    return 0; // the window was closed
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        } else {
            std::cerr << "tavik-check: waiting for changes failed\n";
            return 2;
        }
    }
}

} // namespace

int run_preview(const PreviewOptions& options) {
    // OLE decodes the settings' picture; the window's screen readers call through this
    // apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 2;
    last_guard([&] {
        Win32Preview preview(GetModuleHandleW(nullptr), options);
        code = preview.run();
    });
    if (SUCCEEDED(com))
        CoUninitialize();
    return code;
}

} // namespace check
