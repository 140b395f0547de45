// Windows: the platform's own profile function, as the menu always read its settings there.
#include <windows.h>

#include <algorithm>

#include "settings/get_ini_string.h"

namespace settings {
namespace {

// Every value comes from one line of the file, and a line ends at CR or LF: a default holding
// a line feed (not at its end, where trailing blanks of a default are cut) is never a value.
constexpr char kAbsent[] = "\n(absent)";

// 256 characters including the terminating zero: longer values come back cut to 255.
std::string profile_string(const std::string& section, const std::string& key, const char* def,
                           const std::string& file) {
    std::string buffer(256, ' ');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), file.c_str());
    if (static_cast<long>(n) <= 0)
        return std::string();
    buffer.resize(n);
    return buffer;
}

} // namespace

std::string GetIniString(const std::string& Section, const std::string& Key,
                         const std::string& FileName) {
    return profile_string(Section, Key, "", FileName);
}

std::optional<std::string> find_ini_string(const std::string& Section, const std::string& Key,
                                           const std::string& FileName) {
    std::string value = profile_string(Section, Key, kAbsent, FileName);
    if (value == kAbsent)
        return std::nullopt;
    return value;
}

std::vector<std::string> ini_section_names(const std::string& FileName) {
    // The call answers size - 2 when the names do not fit; a hostile file may hold megabytes
    // of them, and only the menu's few matter: the list stops growing at 1 MB.
    std::vector<char> buffer(4096);
    DWORD n = 0;
    for (;;) {
        n = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                           FileName.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 20))
            break;
        buffer.resize(buffer.size() * 2);
    }
    std::vector<std::string> names;
    const char* end = buffer.data() + std::min<std::size_t>(n, buffer.size());
    for (const char* p = buffer.data(); p < end && *p != '\0';) {
        const char* z = std::find(p, end, '\0');
        names.emplace_back(p, z);
        p = z + 1;
    }
    return names;
}

} // namespace settings
