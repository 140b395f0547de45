// Finds a file whose name differs only in letter case: discs authored on Windows are often
// mounted with upper-case names, while autorun.inf names them in any case.
#pragma once

#include <string>

namespace settings {

// The path itself when it exists; otherwise the existing path whose components match it
// case-insensitively (ASCII), first match in directory order; otherwise the path unchanged.
std::string resolve_case_insensitive(const std::string& path);

} // namespace settings
