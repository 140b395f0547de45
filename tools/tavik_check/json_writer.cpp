#include "tools/tavik_check/json_writer.h"

#include <cmath>
#include <cstdio>

#include "settings/ini_document.h"
#include "tools/tavik_check/headless_platform.h"

namespace check {

std::string json_string(std::string_view menu_text) {
    const std::string utf8 = text_as_utf8(menu_text);
    const std::string_view text = utf8;
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            // Copy a whole valid sequence; replace a broken byte.
            const std::string_view one = settings::utf8_prefix(text.substr(i), 1);
            const bool valid = one.size() > 1 || settings::decode_to_utf8(one) == one;
            if (valid && one.size() > 1) {
                out += one;
                i += one.size();
            } else {
                out += "\xEF\xBF\xBD";
                ++i;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

std::string json_number(float value) {
    if (!std::isfinite(value))
        return "null";
    char buf[32];
    if (value == std::floor(value) && std::fabs(value) < 1e15f)
        std::snprintf(buf, sizeof buf, "%.0f", static_cast<double>(value));
    else
        std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(value));
    return buf;
}

} // namespace check
