// Differential test under Wine: `ini`, `numbers` or both. Exit code 0 when every disagreement
// with the real Windows functions is a listed one. `probe MANIFEST`: the Windows answers for the
// locale differential (tests/wine/locale_diff.py), which compares them on Linux.
#include <cstdio>
#include <cstring>

#include "ini_diff.h"
#include "ini_probe.h"
#include "number_diff.h"

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "all";
    if (std::strcmp(what, "probe") == 0 && argc > 2)
        return wine_diff::run_ini_probe(argv[2]);
    bool ok = true;
    if (std::strcmp(what, "ini") == 0 || std::strcmp(what, "all") == 0)
        ok = wine_diff::run_ini_diff() && ok;
    if (std::strcmp(what, "numbers") == 0 || std::strcmp(what, "all") == 0)
        ok = wine_diff::run_number_diff() && ok;
    std::fflush(stdout);
    return ok ? 0 : 1;
}
