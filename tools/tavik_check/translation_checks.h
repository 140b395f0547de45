// What the menu's translations hide: [Menu.TAG] sections no user reads (the tag is no language
// tag), localized items beyond the item count their readers get, and items one language
// translates and another leaves to [Menu] (a hole in that language's column). Read from the
// parsed file, whatever the languages of the machine that checks it.
#pragma once

#include <vector>

#include "settings/ini_document.h"
#include "tools/tavik_check/check_result.h"

namespace check {

// `labels`: how many item labels the window has (items beyond them are never read).
std::vector<Warning> translation_warnings(const settings::IniDocument& document, int labels);

} // namespace check
