#include "tools/tavik_check/translation_checks.h"

#include <algorithm>
#include <set>
#include <string>
#include <unordered_map>

#include "settings/ascii_case.h"
#include "settings/menu_sections.h"
#include "settings/menu_settings.h"
#include "settings/number_rules.h"

namespace check {
namespace {

// One language of the file: its tag and the sections its readers search before [Menu].
struct Language {
    std::string tag;
    std::string section; // the first section with this tag, as the file names it
    std::vector<std::string> chain;
    int count = 0; // NrOfItems as its readers get it
};

// The item number of a key named as the menu names items (Item1, never Item01), else 0.
int item_number(const std::string& lower_key) {
    constexpr std::string_view prefix = "item";
    if (lower_key.size() <= prefix.size() || lower_key.size() > prefix.size() + 5 ||
        lower_key.compare(0, prefix.size(), prefix) != 0 || lower_key[prefix.size()] == '0')
        return 0;
    int n = 0;
    for (std::size_t i = prefix.size(); i < lower_key.size(); ++i) {
        if (lower_key[i] < '0' || lower_key[i] > '9')
            return 0;
        n = n * 10 + (lower_key[i] - '0');
    }
    return n <= 32767 ? n : 0;
}

// "[Menu.de] Item4" or "[Menu.de] Item4..Item6" for each run of numbers.
void add_runs(std::vector<Warning>& out, const std::string& section, const std::set<int>& numbers,
              const std::string& kind, const std::string& message) {
    for (auto it = numbers.begin(); it != numbers.end();) {
        const int first = *it;
        int last = first;
        while (++it != numbers.end() && *it == last + 1)
            last = *it;
        std::string key = "[" + section + "] " + settings::item_key(first);
        if (last != first)
            key += ".." + settings::item_key(last);
        out.push_back(Warning{key, kind, message});
    }
}

} // namespace

std::vector<Warning> translation_warnings(const settings::IniDocument& document, int labels) {
    // Linear in the number of sections: a hostile file may hold a hundred thousand.
    std::vector<Warning> out;
    const std::vector<std::string> names = document.section_names();
    const auto holds = [&](const std::vector<std::string>& chain, const std::string& key) {
        return std::any_of(chain.begin(), chain.end(), [&](const std::string& section) {
            return document.holds_value(section, key);
        });
    };

    // The file's languages, each once, and its sections by the lower-case spelling of the tag.
    std::vector<Language> languages;
    std::unordered_map<std::string, std::vector<std::string>> by_tag;
    for (const std::string& name : names) {
        if (!settings::is_localized_menu_section(name))
            continue;
        const auto tag = settings::menu_section_language(name);
        if (!tag) {
            out.push_back(Warning{"[" + name + "]", "unreachable_language_section",
                                  "no user ever reads this section: \"" + name.substr(5) +
                                      "\" is no language tag (such as de, de-CH, pt-BR, zh-Hans)"});
            continue;
        }
        auto& sections = by_tag[settings::ascii_lower(settings::tag_text(*tag))];
        if (sections.empty())
            languages.push_back(Language{settings::tag_text(*tag), name, {}, 0});
        sections.push_back(name);
    }
    std::unordered_map<std::string, const Language*> by_section; // a language's first section
    for (Language& l : languages) {
        // The sections a reader whose only language this is searches, as the load does.
        for (const std::string& wanted :
             settings::tag_fallbacks(*settings::parse_language_tag(l.tag)))
            if (const auto it = by_tag.find(settings::ascii_lower(wanted)); it != by_tag.end())
                l.chain.insert(l.chain.end(), it->second.begin(), it->second.end());
        std::string count = document.lookup(settings::kMenuSection, settings::kNrOfItemsKey)
                                .value_or(std::string());
        for (const std::string& section : l.chain)
            if (document.holds_value(section, settings::kNrOfItemsKey)) {
                count = *document.lookup(section, settings::kNrOfItemsKey);
                break;
            }
        l.count = settings::to_int16(count).value_or(0);
        by_section.emplace(l.section, &l);
    }

    // For each item, the languages that translate it (up to three, to name them).
    std::vector<std::vector<const Language*>> translated(static_cast<std::size_t>(labels) + 1);
    for (const Language& l : languages)
        for (int n = 1; n <= std::min(l.count, labels); ++n) {
            auto& by = translated[static_cast<std::size_t>(n)];
            if (by.size() < 4 && holds(l.chain, settings::item_key(n)))
                by.push_back(&l);
        }

    for (const Language& l : languages) {
        std::set<int> beyond;
        for (const std::string& key : document.key_names(l.section))
            if (const int n = item_number(key); n > std::max(l.count, 0))
                beyond.insert(n);
        add_runs(out, l.section, beyond, "localized_item_beyond_count",
                 "beyond NrOfItems as readers of " + l.tag + " get it (" +
                     std::to_string(std::max(l.count, 0)) + "): never shown");

        // Items another language translates, which this one leaves to [Menu]. A hole of a
        // plainer language this one falls back to (de for de-CH) is told there.
        const auto told_plainer = [&](int n) {
            return std::any_of(l.chain.begin(), l.chain.end(), [&](const std::string& section) {
                const auto m = by_section.find(section);
                return m != by_section.end() && m->second != &l &&
                       n <= std::min(m->second->count, labels);
            });
        };
        std::set<int> holes;
        std::vector<std::string> others; // the sections that translate them: three named
        for (int n = 1; n <= std::min(l.count, labels); ++n) {
            const auto& by = translated[static_cast<std::size_t>(n)];
            if (by.empty() || holds(l.chain, settings::item_key(n)) || told_plainer(n))
                continue;
            holes.insert(n);
            for (const Language* other : by)
                if (others.size() < 4 &&
                    std::find(others.begin(), others.end(), other->section) == others.end())
                    others.push_back(other->section);
        }
        std::string list;
        for (std::size_t i = 0; i < std::min<std::size_t>(others.size(), 3); ++i)
            list += (list.empty() ? "[" : ", [") + others[i] + "]";
        add_runs(out, l.section, holes, "untranslated_item",
                 "not translated here but in " + list + (others.size() > 3 ? " and others" : "") +
                     ": readers of " + l.tag + " see [Menu]'s among their own items");
    }
    return out;
}

} // namespace check
