// A strict little JSON reader for the fuzz targets: checks that the check tool's output is one
// well-formed JSON value and gives access to its fields. Not for the product.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;   // Array elements, or Object member values in order
    std::vector<std::string> names; // Object member names, one per item

    // The member with this name, or nullptr.
    const JsonValue* get(std::string_view name) const;
};

// The value when `text` is exactly one JSON value (blanks around it allowed); nothing otherwise.
std::optional<JsonValue> parse_json(std::string_view text);

} // namespace fuzz
