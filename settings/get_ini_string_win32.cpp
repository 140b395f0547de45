// Windows: the platform's own profile function, as the menu always read its settings there.
#include <windows.h>

#include "settings/get_ini_string.h"

namespace settings {

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

} // namespace settings
