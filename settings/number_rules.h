// Numeric settings: which texts count as numbers and how they narrow to 16 and 32 bits.
// The same rules on every machine, whatever its regional settings: a disc must behave the same
// everywhere. Never throws; "not numeric" and "out of range" are both an empty optional.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace settings {

// True when the text is a number under these rules (its range is not checked).
bool is_numeric(std::string_view text);

// The value as a 16-bit integer, or nothing when the text is not numeric or does not fit.
std::optional<std::int16_t> to_int16(std::string_view text);

// &H / &O literals are bit patterns of the target's width: &HFFFF is -1 as 16 bits and 65535
// as 32 bits, &H8000000E is -2147483634 (a system colour).

// The value as a 32-bit integer, or nothing when the text is not numeric or does not fit.
std::optional<std::int32_t> to_int32(std::string_view text);

// Narrows a 32-bit value to 16 bits, or nothing when it does not fit.
std::optional<std::int16_t> narrow_to_int16(std::int32_t value);

} // namespace settings
