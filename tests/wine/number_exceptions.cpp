// Each rule checks the input's shape and both answers exactly, so that it cannot hide a
// different fault that happens to hit the same input.
#include "number_exceptions.h"

#include <cstdlib>
#include <string_view>

namespace wine_diff {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The bits of an unsigned &H / &O literal (the whole trimmed text), or nothing.
std::optional<std::uint64_t> literal_bits(std::string_view text) {
    const std::string_view s = trimmed(text);
    if (s.size() < 3 || s[0] != '&' || s.size() > 24)
        return std::nullopt;
    const int radix = (s[1] == 'H' || s[1] == 'h') ? 16 : (s[1] == 'O' || s[1] == 'o') ? 8 : 0;
    if (radix == 0)
        return std::nullopt;
    const std::string digits(s.substr(2));
    char* end = nullptr;
    const std::uint64_t v = std::strtoull(digits.c_str(), &end, radix);
    if (*end != '\0')
        return std::nullopt;
    return v;
}

// A sign (and blanks) in front of a literal: the text without them, or nothing.
std::optional<std::string> unsigned_literal(std::string_view text) {
    std::string_view s = trimmed(text);
    if (s.empty() || (s[0] != '+' && s[0] != '-'))
        return std::nullopt;
    s = trimmed(s.substr(1));
    if (s.empty() || s[0] != '&')
        return std::nullopt;
    return std::string(s);
}

// The decimal value of a text inside the grammar (blanks after the sign allowed), or nothing.
std::optional<double> decimal_value(std::string_view text) {
    std::string s(trimmed(text));
    if (!s.empty() && (s[0] == '+' || s[0] == '-'))
        s = s[0] + std::string(trimmed(std::string_view(s).substr(1)));
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || *end != '\0' || s.find_first_of("xXnN&") != std::string::npos)
        return std::nullopt;
    return v;
}

bool has_trailing_or_second_sign(std::string_view text) {
    const std::string_view s = trimmed(text);
    if (s.empty())
        return false;
    if (s.back() == '+' || s.back() == '-')
        return true;
    return s.size() >= 2 && (s[0] == '+' || s[0] == '-') && (s[1] == '+' || s[1] == '-');
}

} // namespace

const char* target_name(Target target) {
    switch (target) {
    case Target::I2:
        return "I2";
    case Target::I4:
        return "I4";
    default:
        return "FontSize";
    }
}

std::optional<std::int32_t> wine_convert(Target target, const std::string& text) {
    switch (target) {
    case Target::I2:
        return wine_i2(text);
    case Target::I4:
        return wine_i4(text);
    default:
        return wine_font_size(text);
    }
}

std::string show(const std::optional<std::int32_t>& v) {
    return v ? std::to_string(*v) : std::string("not numeric");
}

const char* listed_rule(const std::string& text, Target target,
                        const std::optional<std::int32_t>& wine,
                        const std::optional<std::int32_t>& ours) {
    if (literal_bits(text))
        return nullptr; // literals are bit patterns of the target's width on both sides
    if (const auto bare = unsigned_literal(text)) {
        if (!ours && wine && wine == wine_convert(target, *bare))
            return "sign before a literal is not numeric";
        return nullptr;
    }
    if (has_trailing_or_second_sign(text))
        return !ours && wine ? "trailing or second sign is not numeric" : nullptr;
    if (const auto v = decimal_value(text)) {
        if (*v != 0 && *v > -0.1 && *v < 0.1 && ours == 0 && wine == (*v > 0 ? 1 : -1))
            return "Wine rounds values below 0.1 away from zero";
    }
    return nullptr;
}

} // namespace wine_diff
