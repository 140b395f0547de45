// setup.exe: the menu window on Win32. Builds the form and runs its load before the window
// exists, then opens the window of app/win32/window and runs the message loop. No keys, no
// message boxes, no files.
#include <windows.h>

#include <objbase.h>

#include "app/forms/last_guard.h"
#include "app/win32/paint.h"
#include "app/win32/platform.h"
#include "app/win32/text.h"
#include "app/win32/units.h"
#include "app/win32/window.h"
#include "menu/frm_tavik_main.h"
#include "settings/user_languages.h"

namespace {

using forms::last_guard;

int run(HINSTANCE instance) {
    win32_shell::FontCache fonts;
    win32_shell::Win32Platform platform(instance, fonts, win32_shell::screen_dpi());
    menu::frmTavikMain form(platform);
    win32_shell::Painter painter(instance, fonts);
    last_guard([&] {
        form.UserLanguages = settings::user_languages();
        form.Form_Load(); // before the window is first shown
    });
    win32_shell::MenuWindow window(instance, platform, painter, form,
                                   win32_shell::WindowKind::Menu);
    if (!window.open(L""))
        return 1;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// Only DLLs from the system folder, ever: a program named setup.exe is the classic target of
// DLL planting, and the folder it starts from (a download folder, a copied disc) may hold a
// planted version.dll or dwmapi.dll. Looked up, since Windows 7 has it only with KB2533623.
void load_libraries_from_system_folder_only() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        kernel32 != nullptr ? GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr));
    if (set != nullptr)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    load_libraries_from_system_folder_only();
    // OLE decodes the settings' picture; a screen reader's calls arrive through this apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    last_guard([&] { code = run(instance); });
    if (SUCCEEDED(com))
        CoUninitialize();
    return code;
}
