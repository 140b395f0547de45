// Helpers shared by the fuzz targets: a check that aborts with a message (libFuzzer then keeps
// the input as a crash), and independent text helpers, so a target never trusts the code under
// test to judge itself.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::fuzz::fail(#cond, __FILE__, __LINE__);                                               \
    } while (0)

// Code points in a valid UTF-8 string, or npos when the text is not valid UTF-8 (overlong
// forms, surrogates and values past U+10FFFF are invalid).
inline std::size_t utf8_length(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        unsigned long cp = 0, min = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            n = 2, cp = b & 0x1Fu, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 3, cp = b & 0x0Fu, min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 4, cp = b & 0x07u, min = 0x10000;
        } else {
            return std::string_view::npos;
        }
        if (s.size() - i < n)
            return std::string_view::npos;
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0u) != 0x80u)
                return std::string_view::npos;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::string_view::npos;
        i += n;
    }
    return count;
}

inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

inline std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// INI names and values also lose VT, FF and Ctrl-Z, as the Windows profile reader trims them.
inline std::string_view trim_ini_blanks(std::string_view s) {
    auto blank = [](char c) { return is_blank(c) || c == '\v' || c == '\f' || c == '\x1A'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

inline std::string ascii_upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

inline std::string ascii_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

inline std::string_view as_text(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace fuzz
