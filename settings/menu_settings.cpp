#include "settings/menu_settings.h"

namespace settings {

std::string item_key(int number) {
    return "Item" + std::to_string(number);
}

ItemText split_item(std::string_view value) {
    const std::size_t comma = value.find(',');
    if (comma == std::string_view::npos)
        return ItemText{std::nullopt, std::string(value)};
    return ItemText{std::string(value.substr(0, comma)), std::string(value.substr(comma + 1))};
}

std::string app_folder_from(std::string folder, char separator) {
    if (folder.empty() || folder.back() != separator)
        folder += separator;
    return folder;
}

} // namespace settings
