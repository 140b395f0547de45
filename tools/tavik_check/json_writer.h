// A minimal JSON writer: strings escaped (the menu's text as UTF-8, invalid UTF-8 becomes
// U+FFFD), numbers, literals.
#pragma once

#include <string>
#include <string_view>

namespace check {

std::string json_string(std::string_view text);

// A float as JSON: integral values without a fraction, others with up to 7 significant digits.
std::string json_number(float value);

} // namespace check
