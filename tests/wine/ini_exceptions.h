// Files on which our INI reader answers differently from GetPrivateProfileStringA under Wine on
// purpose, with both answers pinned (README.md lists them). The random corpus leaves these
// shapes out, so that every other disagreement fails the test.
#pragma once

#include <string>
#include <vector>

namespace wine_diff {

struct ListedIniCase {
    std::string label;
    std::string bytes;
    std::string section, key;
    std::string wine, ours; // ANSI
};

std::vector<ListedIniCase> listed_ini_cases();

} // namespace wine_diff
