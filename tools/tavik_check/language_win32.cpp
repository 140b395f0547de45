// Windows: the profile function reads the file in the system's ANSI code page, which a program
// cannot choose: the code page stays the system's, whatever the language shown.
#include "tools/tavik_check/language.h"

namespace check {

void use_code_page_of(const std::string&) {}

} // namespace check
