// GetPrivateProfileStringA(section, key, "", buf, 256, path) for each probe of a manifest, with
// names and answers crossing in the ANSI code page that Wine took from the locale, as setup.exe
// sees them. The Linux half (ini_lookup.cpp) answers the same manifest with our reader.
#include "ini_probe.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace wine_diff {
namespace {

std::wstring to_wide(const std::string& s, UINT code_page) {
    const int n =
        MultiByteToWideChar(code_page, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(code_page, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string from_wide(const std::wstring& w, UINT code_page) {
    const int n = WideCharToMultiByte(code_page, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                      0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(code_page, 0, w.data(), static_cast<int>(w.size()), s.data(), n,
                            nullptr, nullptr);
    return s;
}

std::string unhex(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        out += static_cast<char>(std::stoi(s.substr(i, 2), nullptr, 16));
    return out;
}

std::string hex(const std::string& s) {
    if (s.empty())
        return "-";
    std::string out;
    char buf[4];
    for (char c : s) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(c));
        out += buf;
    }
    return out;
}

} // namespace

int run_ini_probe(const char* manifest) {
    std::ifstream in(manifest, std::ios::binary);
    if (!in) {
        std::printf("cannot read %s\n", manifest);
        return 2;
    }
    std::printf("acp %u\n", GetACP());
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos)
            continue;
        const auto ansi = [](const std::string& utf8) {
            return from_wide(to_wide(utf8, CP_UTF8), CP_ACP);
        };
        const std::string path = ansi(line.substr(0, a));
        const std::string section = ansi(unhex(line.substr(a + 1, b - a - 1)));
        const std::string key = ansi(unhex(line.substr(b + 1)));
        char buffer[256];
        const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                 sizeof buffer, path.c_str());
        std::printf("%s\n",
                    hex(from_wide(to_wide(std::string(buffer, n), CP_ACP), CP_UTF8)).c_str());
    }
    std::fflush(stdout);
    return 0;
}

} // namespace wine_diff
