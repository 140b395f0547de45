// GetIniString: one value of one key of one INI section, or "" when there is none.
// Windows asks the system's profile function; elsewhere the same rules run in our own reader.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace settings {

// The value text (at most 255 characters), or "" when the file, section or key is missing or
// the value is empty. Reports nothing and never throws.
std::string GetIniString(const std::string& Section, const std::string& Key,
                         const std::string& FileName);

// The same lookup, telling a key that is present with an empty value ("") from an absent key,
// section or file (nothing). Never throws.
std::optional<std::string> find_ini_string(const std::string& Section, const std::string& Key,
                                           const std::string& FileName);

// The file's section names as written, in the file's order; empty when there is no file.
// One lookup, whatever the number of sections. Never throws.
std::vector<std::string> ini_section_names(const std::string& FileName);

} // namespace settings
