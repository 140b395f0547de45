// Blanks as the settings files know them. Numbers and command lines take spaces and tabs only;
// names and values in an INI file also lose the control characters the Windows profile reader
// trims: vertical tab, form feed and Ctrl-Z (0x1A, left at the end of files by old tools).
#pragma once

#include <string_view>

namespace settings {

inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

inline std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Not 0x1C-0x1F, no-break space or the ideographic space: the profile reader keeps those.
inline bool is_ini_blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

inline std::string_view trim_ini_blanks(std::string_view s) {
    while (!s.empty() && is_ini_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_ini_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace settings
