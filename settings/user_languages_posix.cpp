// POSIX: the user's languages from the environment, whether or not their locales are
// installed (as the code page is taken), with gettext's rules for LANGUAGE.
#include <cstdlib>

#include "settings/language_tag.h"
#include "settings/user_languages.h"

namespace settings {

std::vector<std::string> user_languages() {
    return languages_from_environment(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                      std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

} // namespace settings
