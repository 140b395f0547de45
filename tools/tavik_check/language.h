// --language L: the check shows the menu as a user whose only language is L sees it. L is a
// locale name ("de_DE.UTF-8", "zh_CN", "C") or a language tag ("de-CH", "zh-Hans").
#pragma once

#include <string>
#include <vector>

namespace check {

// The user's languages for L (none for C and POSIX); on Linux also the file's code page as
// LC_ALL=L gives it. false when L is neither a locale name nor a language tag.
bool use_language(const std::string& L, std::vector<std::string>& languages);

// Makes the settings file read in the code page of this locale, where the platform lets a
// program choose (language_posix/_win32.cpp).
void use_code_page_of(const std::string& locale);

} // namespace check
