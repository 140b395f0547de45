// Grammar: blanks, then either a decimal number (optional sign, blanks allowed after it, digits
// with an optional '.' fraction, optional exponent) or &H / &O literals, then blanks.
// Decimals are rounded half to even exactly, on their digits, so no binary rounding creeps in.
#include "settings/number_rules.h"

#include "settings/blanks.h"

#include <limits>
#include <string>
#include <type_traits>

namespace settings {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

int hex_digit(char c) {
    if (is_digit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A parsed number: either a rounded decimal (already rounded to an integer, with a flag when it
// is too large for any target) or a hex/octal bit pattern.
struct Parsed {
    bool too_large = false;      // magnitude beyond 64 bits: fits no target
    bool negative = false;       // decimal sign
    std::uint64_t magnitude = 0; // rounded decimal magnitude, or the literal's bits
    bool literal = false;        // &H / &O
};

// &H + 1..8 hex digits, or &O + octal digits worth at most 32 bits.
std::optional<Parsed> parse_literal(std::string_view s) {
    if (s.size() < 3 || s[0] != '&')
        return std::nullopt;
    const char kind = s[1];
    std::string_view digits = s.substr(2);
    Parsed p;
    p.literal = true;
    if (kind == 'H' || kind == 'h') {
        if (digits.size() > 8)
            return std::nullopt;
        for (char c : digits) {
            const int d = hex_digit(c);
            if (d < 0)
                return std::nullopt;
            p.magnitude = p.magnitude * 16 + static_cast<unsigned>(d);
        }
        return p;
    }
    if (kind == 'O' || kind == 'o') {
        for (char c : digits) {
            if (c < '0' || c > '7')
                return std::nullopt;
            p.magnitude = p.magnitude * 8 + static_cast<unsigned>(c - '0');
            if (p.magnitude > 0xFFFFFFFFull)
                return std::nullopt;
        }
        return p;
    }
    return std::nullopt;
}

// Optional sign, blanks, digits[.digits][e[sign]digits]; rounded half to even.
std::optional<Parsed> parse_decimal(std::string_view s) {
    Parsed p;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        p.negative = s[i] == '-';
        ++i;
        while (i < s.size() && is_blank(s[i]))
            ++i;
    }
    std::string digits;  // significant digits, integer and fraction together
    long long point = 0; // digits before the decimal point
    std::size_t int_digits = 0, frac_digits = 0;
    while (i < s.size() && is_digit(s[i])) {
        digits += s[i++];
        ++int_digits;
    }
    point = static_cast<long long>(int_digits);
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) {
            digits += s[i++];
            ++frac_digits;
        }
    }
    if (int_digits + frac_digits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool exp_negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            exp_negative = s[i] == '-';
            ++i;
        }
        if (i >= s.size() || !is_digit(s[i]))
            return std::nullopt;
        long long exponent = 0;
        while (i < s.size() && is_digit(s[i])) {
            if (exponent < 1'000'000) // beyond this only "huge" or "zero" matters
                exponent = exponent * 10 + (s[i] - '0');
            ++i;
        }
        point += exp_negative ? -exponent : exponent;
    }
    if (i != s.size())
        return std::nullopt;

    // Strip leading zeros so that the point position measures the magnitude.
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return p; // zero
    digits.erase(0, first);
    point -= static_cast<long long>(first);
    if (point > 20) { // at least 10^20: beyond every target
        p.too_large = true;
        return p;
    }
    // Integer part: digits[0, point); the rest is the fraction.
    std::uint64_t value = 0;
    for (long long k = 0; k < point; ++k) {
        const int d = k < static_cast<long long>(digits.size())
                          ? digits[static_cast<std::size_t>(k)] - '0'
                          : 0;
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(d)) / 10) {
            p.too_large = true;
            return p;
        }
        value = value * 10 + static_cast<unsigned>(d);
    }
    // Fraction: compare with one half. First fraction digit is at index `point` (may be < 0).
    int cmp = -1; // fraction < 1/2
    if (point >= 0 && point < static_cast<long long>(digits.size())) {
        const int first_frac = digits[static_cast<std::size_t>(point)] - '0';
        if (first_frac > 5) {
            cmp = 1;
        } else if (first_frac == 5) {
            const bool more = digits.find_first_not_of('0', static_cast<std::size_t>(point) + 1) !=
                              std::string::npos;
            cmp = more ? 1 : 0;
        }
    }
    if (cmp > 0 || (cmp == 0 && (value % 2) == 1))
        ++value;
    p.magnitude = value;
    return p;
}

std::optional<Parsed> parse(std::string_view text) {
    const std::string_view s = trim_blanks(text);
    if (s.empty())
        return std::nullopt;
    if (s[0] == '&')
        return parse_literal(s);
    return parse_decimal(s);
}

// A literal is a bit pattern of the target's width, as the platform's parser reads it:
// &HFFFF is -1 in 16 bits and 65535 in 32 bits; a pattern wider than the target overflows.
template <class T> std::optional<std::int64_t> literal_value(std::uint64_t bits) {
    using Unsigned = std::make_unsigned_t<T>;
    if (bits > std::numeric_limits<Unsigned>::max())
        return std::nullopt;
    return static_cast<T>(static_cast<Unsigned>(bits));
}

template <class T> std::optional<T> convert(std::string_view text) {
    const auto p = parse(text);
    if (!p || p->too_large)
        return std::nullopt;
    std::int64_t v = 0;
    if (p->literal) {
        const auto bits = literal_value<T>(p->magnitude);
        if (!bits)
            return std::nullopt;
        v = *bits;
    } else {
        if (p->magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        v = static_cast<std::int64_t>(p->magnitude);
        if (p->negative)
            v = -v;
    }
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(v);
}

} // namespace

bool is_numeric(std::string_view text) {
    return parse(text).has_value();
}

std::optional<std::int16_t> to_int16(std::string_view text) {
    return convert<std::int16_t>(text);
}

std::optional<std::int32_t> to_int32(std::string_view text) {
    return convert<std::int32_t>(text);
}

std::optional<std::int16_t> narrow_to_int16(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

} // namespace settings
