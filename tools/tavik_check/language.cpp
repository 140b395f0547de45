#include "tools/tavik_check/language.h"

#include "settings/language_tag.h"

namespace check {

bool use_language(const std::string& L, std::vector<std::string>& languages) {
    languages.clear();
    const std::string name = L.substr(0, L.find_first_of(".@"));
    if (name == "C" || name == "POSIX") {
        use_code_page_of(L);
        return true;
    }
    const auto tag = settings::tag_from_locale(L);
    if (!tag)
        return false;
    languages.push_back(settings::tag_text(*tag));
    // A tag is no locale name: its language's locale ("zh_CN" for zh-Hans) stands in for it.
    use_code_page_of(L.find('-') == std::string::npos ? L : settings::locale_name(*tag));
    return true;
}

} // namespace check
