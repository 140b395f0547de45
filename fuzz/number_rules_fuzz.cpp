// Number rules on any text: 16- and 32-bit answers agree, a value implies a number, blanks
// around it change nothing, foreign characters are never numeric, and plain decimals and
// &H/&O literals give the value an independent reading of them gives.
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "fuzz/fuzz_check.h"
#include "settings/number_rules.h"

namespace {

using settings::is_numeric;
using settings::to_int16;
using settings::to_int32;

bool in_alphabet(char c) {
    const std::string_view kAllowed = " \t+-.0123456789eE&HhOoabcdfABCDF";
    return kAllowed.find(c) != std::string_view::npos;
}

// Sign, blanks, up to 12 digits, up to 6 fraction digits, exponent up to 2 digits: few enough
// places that long double rounding to even gives the exact answer.
std::optional<long double> simple_decimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        for (++i; i < s.size() && fuzz::is_blank(s[i]); ++i) {
        }
    std::string plain;
    int int_digits = 0, frac_digits = 0, exponent = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++int_digits)
        plain += s[i];
    if (i < s.size() && s[i] == '.')
        for (plain += s[i++]; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++frac_digits)
            plain += s[i];
    if (int_digits + frac_digits == 0 || int_digits > 12 || frac_digits > 6)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        int n = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && n < 3; ++i, ++n)
            exponent = exponent * 10 + (s[i] - '0');
        if (n == 0 || n > 2)
            return std::nullopt;
        exponent = negative ? -exponent : exponent;
    }
    if (i != s.size() || frac_digits - exponent > 6)
        return std::nullopt;
    // One correctly rounded conversion: exact for every tie, close enough for the rest.
    const std::string scaled = plain + "e" + std::to_string(exponent);
    const long double magnitude = std::strtold(scaled.c_str(), nullptr);
    return s[0] == '-' ? -magnitude : magnitude;
}

// &H with 1..8 hex digits or &O with octal digits worth at most 32 bits: the bits.
std::optional<std::uint32_t> simple_literal(std::string_view s) {
    if (s.size() < 3 || s[0] != '&')
        return std::nullopt;
    const char kind = fuzz::ascii_lower(s.substr(1, 1))[0];
    const std::string_view digits = kind == 'h' ? "0123456789abcdef" : "01234567";
    if ((kind != 'h' && kind != 'o') || (kind == 'h' && s.size() > 10))
        return std::nullopt;
    std::uint64_t bits = 0;
    for (char c : fuzz::ascii_lower(s.substr(2))) {
        const std::size_t d = digits.find(c);
        if (d == std::string_view::npos)
            return std::nullopt;
        bits = bits * digits.size() + d;
        if (bits > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(bits);
}

// How a literal's bits become a value. The design reads 16 bits when the value fits 16, else
// 32, for both targets; the platform's parser reads the target's own width. Which one the
// code follows is asked once; every input must then follow it exactly.
bool reads_target_width() {
    static const bool width = to_int32("&HFFFF") == 65535;
    return width;
}

std::optional<std::int32_t> literal32(std::uint32_t bits) {
    if (bits <= 0xFFFF && !reads_target_width())
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(bits));
    return static_cast<std::int32_t>(bits);
}

std::optional<std::int16_t> literal16(std::uint32_t bits) {
    if (reads_target_width())
        return bits <= 0xFFFF ? std::optional<std::int16_t>(
                                    static_cast<std::int16_t>(static_cast<std::uint16_t>(bits)))
                              : std::nullopt;
    return settings::narrow_to_int16(*literal32(bits));
}

template <class T> std::optional<T> expected_from(long double value) {
    std::fesetround(FE_TONEAREST);
    const long double r = std::nearbyint(value);
    if (r < static_cast<long double>(INT64_MIN) || r > static_cast<long double>(INT64_MAX))
        return std::nullopt;
    const auto v = static_cast<std::int64_t>(r);
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(v);
}

void check(std::string_view text) {
    const bool numeric = is_numeric(text);
    const auto v16 = to_int16(text);
    const auto v32 = to_int32(text);

    FUZZ_CHECK(!v16 || numeric);
    // 16 and 32 bits agree, except on a literal's bits read at the target's own width.
    const std::string_view trimmed = fuzz::trim_blanks(text);
    if (trimmed.empty() || trimmed.front() != '&' || !reads_target_width()) {
        FUZZ_CHECK(!v16 || v32);
        FUZZ_CHECK(!v16 || *v32 == *v16);
        if (v32)
            FUZZ_CHECK(settings::narrow_to_int16(*v32) == v16);
    } else if (v16 && v32) {
        FUZZ_CHECK(static_cast<std::uint16_t>(*v32) == static_cast<std::uint16_t>(*v16));
    }
    FUZZ_CHECK(!v32 || numeric);

    for (const char* pad : {" ", "\t", " \t  "}) {
        const std::string padded = pad + std::string(text) + pad;
        FUZZ_CHECK(is_numeric(padded) == numeric);
        FUZZ_CHECK(to_int16(padded) == v16);
        FUZZ_CHECK(to_int32(padded) == v32);
    }

    for (char c : text)
        if (!in_alphabet(c))
            FUZZ_CHECK(!numeric);

    if (const auto value = simple_decimal(trimmed)) {
        FUZZ_CHECK(numeric);
        FUZZ_CHECK(v32 == expected_from<std::int32_t>(*value));
        FUZZ_CHECK(v16 == expected_from<std::int16_t>(*value));
    }
    if (const auto bits = simple_literal(trimmed)) {
        FUZZ_CHECK(numeric);
        FUZZ_CHECK(v32 == literal32(*bits));
        FUZZ_CHECK(v16 == literal16(*bits));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check(fuzz::as_text(data, size));
    return 0;
}
