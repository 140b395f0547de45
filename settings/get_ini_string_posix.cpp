// POSIX: our reader, with the Windows profile function's rules, parsed once per file version.
#include <exception>

#include "settings/get_ini_string.h"
#include "settings/ini_cache.h"

namespace settings {

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

} // namespace settings
