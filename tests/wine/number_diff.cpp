// The settings' number rules against oleaut32's VarI2FromStr / VarI4FromStr (en-US, no flags):
// for every text both fail, or both give the same value. FontSize takes the 32-bit conversion
// and then narrows it to 16 bits, on both sides.
#include "number_diff.h"

#include <windows.h>

#include <oleauto.h> // after windows.h, which it needs

#include <cstdio>
#include <optional>
#include <string>

#include "diff_tally.h"
#include "number_corpus.h"
#include "number_exceptions.h"
#include "settings/number_rules.h"

namespace wine_diff {
namespace {

constexpr LCID kEnUs = 0x0409;

std::wstring widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

} // namespace

std::optional<std::int32_t> wine_i2(const std::string& text) {
    SHORT v = 0;
    std::wstring w = widen(text);
    if (FAILED(VarI2FromStr(w.data(), kEnUs, 0, &v)))
        return std::nullopt;
    return v;
}

std::optional<std::int32_t> wine_i4(const std::string& text) {
    LONG v = 0;
    std::wstring w = widen(text);
    if (FAILED(VarI4FromStr(w.data(), kEnUs, 0, &v)))
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<std::int32_t> wine_font_size(const std::string& text) {
    const auto wide = wine_i4(text);
    if (!wide || *wide < -32768 || *wide > 32767)
        return std::nullopt;
    return wide;
}

namespace {

template <class T> std::optional<std::int32_t> widen_result(std::optional<T> v) {
    if (!v)
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

void compare(Tally& tally, const NumberCase& c, Target target,
             const std::optional<std::int32_t>& wine, const std::optional<std::int32_t>& ours) {
    if (wine == ours) {
        tally.agree();
        return;
    }
    const std::string line = std::string(target_name(target)) + " " + escaped(c.text) + " [" +
                             c.group + "]: Wine " + show(wine) + ", ours " + show(ours);
    if (const char* rule = listed_rule(c.text, target, wine, ours)) {
        std::printf("listed (%s): %s\n", rule, line.c_str());
        tally.listed();
        return;
    }
    tally.disagree(line);
}

} // namespace

bool run_number_diff() {
    Tally i2("VarI2"), i4("VarI4"), font("FontSize");
    for (const NumberCase& c : number_corpus()) {
        compare(i2, c, Target::I2, wine_i2(c.text), widen_result(settings::to_int16(c.text)));
        compare(i4, c, Target::I4, wine_i4(c.text), widen_result(settings::to_int32(c.text)));
        const auto wide = settings::to_int32(c.text);
        compare(font, c, Target::FontSize, wine_font_size(c.text),
                widen_result(wide ? settings::narrow_to_int16(*wide) : std::nullopt));
    }
    const bool ok_i2 = i2.print();
    const bool ok_i4 = i4.print();
    const bool ok_font = font.print();
    return ok_i2 && ok_i4 && ok_font;
}

} // namespace wine_diff
