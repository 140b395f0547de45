// Blanks as the settings files know them: spaces and tabs, nothing else.
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

} // namespace settings
