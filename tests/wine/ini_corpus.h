// INI files for the differential test, generated from a fixed seed: random mixes of headers,
// keys, values, comments and junk lines in every line-end style and encoding, plus hand-written
// files for non-ASCII text. Each file names the sections and keys worth probing.
#pragma once

#include <string>
#include <vector>

namespace wine_diff {

struct IniCase {
    std::string label;                 // what the file exercises
    std::string bytes;                 // the file as written
    std::vector<std::string> sections; // probed, besides absent ones
    std::vector<std::string> keys;
};

std::vector<IniCase> ini_corpus();

} // namespace wine_diff
