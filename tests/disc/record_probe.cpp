// An ELF program for a test disc: appends its first argument, its working folder and its user
// id to the file named by TAVIK_RECORD, one line per start.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* record = std::getenv("TAVIK_RECORD");
    char folder[PATH_MAX];
    if (record == nullptr || ::getcwd(folder, sizeof folder) == nullptr)
        return 1;
    std::FILE* out = std::fopen(record, "a");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "%s|%s|%u\n", argc > 1 ? argv[1] : "", folder,
                 static_cast<unsigned>(::getuid()));
    return std::fclose(out) == 0 ? 0 : 1;
}
