// Where the settings' number rules differ from oleaut32 under Wine on purpose: each rule names
// one class of inputs, what Wine answers and what the design wants instead (see README.md).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wine_diff {

enum class Target { I2, I4, FontSize };
const char* target_name(Target target);

// The platform's conversions (en-US, no flags); nothing on any failure. FontSize: the 32-bit
// conversion narrowed to 16 bits.
std::optional<std::int32_t> wine_i2(const std::string& text);
std::optional<std::int32_t> wine_i4(const std::string& text);
std::optional<std::int32_t> wine_font_size(const std::string& text);
std::optional<std::int32_t> wine_convert(Target target, const std::string& text);

std::string show(const std::optional<std::int32_t>& v);

// The listed rule that explains this disagreement exactly, or nullptr.
const char* listed_rule(const std::string& text, Target target,
                        const std::optional<std::int32_t>& wine,
                        const std::optional<std::int32_t>& ours);

} // namespace wine_diff
