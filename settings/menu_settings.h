// The [Menu] section of autorun.inf: its keys in reading order, the layout and colour values
// with their defaults, the derived paths and the split of an item value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace settings {

inline constexpr const char* kMenuSection = "Menu";
inline constexpr const char* kSettingsFileName = "autorun.inf";

// Keys, in the order the load reads them; items follow as Item1 .. ItemN.
inline constexpr const char* kPictureKey = "Picture";
inline constexpr const char* kCaptionKey = "Caption";
inline constexpr const char* kNrOfItemsKey = "NrOfItems";
inline constexpr const char* kOffsetXKey = "OffsetX";
inline constexpr const char* kOffsetYKey = "OffsetY";
inline constexpr const char* kLineDistanceKey = "LineDistance";
inline constexpr const char* kForeColorKey = "ForeColor";
inline constexpr const char* kHighlightKey = "Highlight";
inline constexpr const char* kFontSizeKey = "FontSize";

// Layout and colours of the item column. Positions in twips, colours 0x00BBGGRR, size in points.
struct MenuSettings {
    std::int16_t OffsetX = 600;      // left edge of every item label
    std::int16_t OffsetY = 3100;     // top edge of the first item label
    std::int16_t LineDistance = 450; // top-to-top pitch of the column
    std::int32_t ForeColor = 0;      // item text colour (black)
    std::int32_t Highlight = 255;    // colour of the item under the mouse (red)
    std::int16_t FontSize = 14;      // item font size
};

// "Item" + decimal number without leading zeros: Item1, Item2, ... Item32767.
std::string item_key(int number);

// One item value split at its first comma. No comma: no caption, the whole value is the command.
struct ItemText {
    std::optional<std::string> caption;
    std::string command;
};
ItemText split_item(std::string_view value);

// The executable's folder with a separator appended unless it already ends with one.
std::string app_folder_from(std::string folder, char separator);

} // namespace settings
