// The sample disc's viewer on Windows (tools\viewer.exe): opens a file or folder of the disc
// with its associated program. Not part of the menu; it only gives the sample items a target.
#include <windows.h>

#include <shellapi.h> // needs windows.h first

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring target = (argv != nullptr && argc > 1) ? argv[1] : L".";
    // The disc root: the folder above this program's tools folder.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring root(self);
    for (int up = 0; up < 2; ++up)
        root.resize(root.find_last_of(L"\\/") == std::wstring::npos ? 0
                                                                    : root.find_last_of(L"\\/"));
    const auto r = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, root.c_str(), show));
    LocalFree(argv);
    return r > 32 ? 0 : 1;
}
