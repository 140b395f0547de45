// split_item on any text: the caption is everything before the first comma and has none, the
// command the rest; joined again they give the text back.
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "settings/menu_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::as_text(data, size);
    const settings::ItemText item = settings::split_item(text);
    const bool has_comma = text.find(',') != std::string_view::npos;
    FUZZ_CHECK(item.caption.has_value() == has_comma);
    if (item.caption) {
        FUZZ_CHECK(item.caption->find(',') == std::string::npos);
        FUZZ_CHECK(*item.caption + "," + item.command == text);
    } else {
        FUZZ_CHECK(item.command == text);
    }
    return 0;
}
