// GetIniString: one value of one key of one INI section, or "" when there is none.
// Windows asks the system's profile function; elsewhere the same rules run in our own reader.
#pragma once

#include <string>

namespace settings {

// The value text (at most 255 characters), or "" when the file, section or key is missing or
// the value is empty. Reports nothing and never throws.
std::string GetIniString(const std::string& Section, const std::string& Key,
                         const std::string& FileName);

} // namespace settings
