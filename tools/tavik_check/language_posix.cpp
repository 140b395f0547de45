// POSIX: the settings reader takes the code page from LC_ALL first (settings/code_page.h).
#include <cstdlib>

#include "tools/tavik_check/language.h"

namespace check {

void use_code_page_of(const std::string& locale) {
    setenv("LC_ALL", locale.c_str(), 1);
}

} // namespace check
