#include "settings/get_ini_string.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "settings/ini_cache.h"
#endif

namespace settings {

#ifdef _WIN32

std::string GetIniString(const std::string& Section, const std::string& Key,
                         const std::string& FileName) {
    // 256 characters including the terminating zero: longer values come back cut to 255.
    std::string buffer(256, ' ');
    const DWORD n = GetPrivateProfileStringA(Section.c_str(), Key.c_str(), "", buffer.data(),
                                             static_cast<DWORD>(buffer.size()), FileName.c_str());
    if (static_cast<long>(n) <= 0)
        return std::string();
    buffer.resize(n);
    return buffer;
}

#else

std::string GetIniString(const std::string& Section, const std::string& Key,
                         const std::string& FileName) {
    try {
        const auto document = load_ini_file(FileName);
        if (!document)
            return std::string();
        return document->lookup(Section, Key).value_or(std::string());
    } catch (const std::exception&) {
        return std::string(); // out of memory on a hostile file: as if the key were absent
    }
}

#endif

} // namespace settings
