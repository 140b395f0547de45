// A planted DLL: when any process loads it, it appends its own path to planted.txt beside
// itself. Copied under the names of system DLLs next to setup.exe; none may ever be loaded.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char module[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(self, module, sizeof module);
    if (n == 0 || n >= sizeof module)
        return TRUE;
    std::string path(module, n);
    std::string line = path + "\r\n";
    path.resize(path.find_last_of('\\') + 1);
    path += "planted.txt";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
