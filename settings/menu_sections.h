// The menu's localized sections, [Menu.TAG] beside [Menu]: which of a file's sections a user
// reads, and in which order, before [Menu] itself. Portable: the names come from the file's
// reader, the languages from user_languages().
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/language_tag.h"

namespace settings {

// Whether the section is one of the menu's localized ones: "Menu." and more, case ignored.
bool is_localized_menu_section(std::string_view name);

// The language of a localized section ("Menu.de_ch" is de-CH); nothing when the part after
// "Menu." is no language tag, so no user ever reads the section.
std::optional<LanguageTag> menu_section_language(std::string_view name);

// The localized sections to search before [Menu], as the file names them, in order: for each
// of the user's languages (tags, most preferred first) from the most specific tag to the
// plainest; each section once. Empty when none of them is in the file.
std::vector<std::string> localized_search_order(const std::vector<std::string>& languages,
                                                const std::vector<std::string>& section_names);

} // namespace settings
