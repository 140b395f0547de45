// The languages the user reads, most preferred first, as tags ("de-CH", "zh-TW"): what the
// menu's [Menu.TAG] sections are chosen by. Windows: the display languages; elsewhere the
// locale environment, as gettext reads it (language_tag.h).
#pragma once

#include <string>
#include <vector>

namespace settings {

// Empty when the user's language is C, POSIX or unknown. Never throws.
std::vector<std::string> user_languages();

} // namespace settings
