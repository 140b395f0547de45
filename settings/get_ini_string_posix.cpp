// POSIX: our reader, with the Windows profile function's rules, parsed once per file version.
#include <exception>

#include "settings/get_ini_string.h"
#include "settings/ini_cache.h"

namespace settings {

std::string GetIniString(const std::string& Section, const std::string& Key,
                         const std::string& FileName) {
    return find_ini_string(Section, Key, FileName).value_or(std::string());
}

std::optional<std::string> find_ini_string(const std::string& Section, const std::string& Key,
                                           const std::string& FileName) {
    try {
        const auto document = load_ini_file(FileName);
        if (!document)
            return std::nullopt;
        return document->lookup(Section, Key);
    } catch (const std::exception&) {
        return std::nullopt; // out of memory on a hostile file: as if the key were absent
    }
}

std::vector<std::string> ini_section_names(const std::string& FileName) {
    try {
        const auto document = load_ini_file(FileName);
        return document ? document->section_names() : std::vector<std::string>();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace settings
