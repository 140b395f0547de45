// ASCII-only case folding, the one rule for INI names and file names found ignoring case:
// the same on every machine whatever its locale.
#pragma once

#include <string>
#include <string_view>

namespace settings {

constexpr char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ascii_lower(std::string_view s);

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b);

} // namespace settings
