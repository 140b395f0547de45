// A stand-in for a disc's installer: appends its command line and current folder, joined by
// '|', as one line to record.txt beside itself (or to the file TAVIK_RECORD names, for a
// read-only medium), then ends. GUI subsystem: no console appears.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char module[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    if (n == 0 || n >= sizeof module)
        return 1;
    std::string path(module, n);
    path.resize(path.find_last_of('\\') + 1);
    path += "record.txt";
    char named[MAX_PATH * 4];
    const DWORD m = GetEnvironmentVariableA("TAVIK_RECORD", named, sizeof named);
    if (m > 0 && m < sizeof named)
        path.assign(named, m);

    char cwd[MAX_PATH * 4];
    const DWORD c = GetCurrentDirectoryA(sizeof cwd, cwd);
    std::string line = GetCommandLineA();
    line += '|';
    line.append(cwd, c < sizeof cwd ? c : 0);
    line += "\r\n";

    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
