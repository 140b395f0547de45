// The Windows half of the locale differential: GetPrivateProfileStringA's answers, as UTF-8.
#pragma once

namespace wine_diff {
// Reads `path\tsection\tkey` lines (path in UTF-8, names in hex of UTF-8) from the manifest and
// prints the code page, then one line per probe: the answer converted from the ANSI code page to
// UTF-8, in hex ("-" if empty).
int run_ini_probe(const char* manifest);
} // namespace wine_diff
