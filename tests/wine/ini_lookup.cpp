// The Linux half of the locale differential: our reader's answers (GetIniString, which reads the
// locale from the environment) for each `path\tsection\tkey` line of a manifest, printed as
// ini_probe.cpp prints Wine's: the code page, then one hex line per probe ("-" if empty).
#include <cstdio>
#include <fstream>
#include <string>

#include "settings/code_page.h"
#include "settings/get_ini_string.h"

namespace {

std::string unhex(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        out += static_cast<char>(std::stoi(s.substr(i, 2), nullptr, 16));
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
        return 2;
    std::printf("acp %u\n", settings::user_ansi_code_page());
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos)
            continue;
        const std::string value = settings::GetIniString(
            unhex(line.substr(a + 1, b - a - 1)), unhex(line.substr(b + 1)), line.substr(0, a));
        if (value.empty())
            std::printf("-");
        for (char c : value)
            std::printf("%02x", static_cast<unsigned char>(c));
        std::printf("\n");
    }
    return 0;
}
