#include "settings/menu_sections.h"

#include <algorithm>

#include "settings/ascii_case.h"

namespace settings {
namespace {

constexpr std::string_view kLocalizedPrefix = "Menu.";

} // namespace

bool is_localized_menu_section(std::string_view name) {
    return name.size() > kLocalizedPrefix.size() &&
           equal_ignoring_ascii_case(name.substr(0, kLocalizedPrefix.size()), kLocalizedPrefix);
}

std::optional<LanguageTag> menu_section_language(std::string_view name) {
    if (!is_localized_menu_section(name))
        return std::nullopt;
    return parse_language_tag(name.substr(kLocalizedPrefix.size()));
}

std::vector<std::string> localized_search_order(const std::vector<std::string>& languages,
                                                const std::vector<std::string>& section_names) {
    // The file's localized sections by the usual spelling of their tag.
    std::vector<std::pair<std::string, const std::string*>> localized;
    for (const std::string& name : section_names)
        if (const auto tag = menu_section_language(name))
            localized.emplace_back(tag_text(*tag), &name);
    std::vector<std::string> order;
    if (localized.empty())
        return order;
    for (const std::string& language : languages) {
        const auto tag = parse_language_tag(language);
        if (!tag)
            continue;
        for (const std::string& wanted : tag_fallbacks(*tag))
            for (const auto& [spelling, name] : localized)
                if (equal_ignoring_ascii_case(spelling, wanted) &&
                    std::find(order.begin(), order.end(), *name) == order.end())
                    order.push_back(*name);
    }
    return order;
}

} // namespace settings
