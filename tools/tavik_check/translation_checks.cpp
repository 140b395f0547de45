#include "tools/tavik_check/translation_checks.h"

#include <algorithm>
#include <set>
#include <string>

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
    std::vector<Warning> out;
    const std::vector<std::string> names = document.section_names();
    const auto holds = [&](const std::vector<std::string>& chain, const std::string& key) {
        return std::any_of(chain.begin(), chain.end(), [&](const std::string& section) {
            return document.lookup(section, key).has_value();
        });
    };
    const auto value = [&](const std::vector<std::string>& chain, const std::string& key) {
        for (const std::string& section : chain)
            if (auto v = document.lookup(section, key))
                return *v;
        return document.lookup(settings::kMenuSection, key).value_or(std::string());
    };

    std::vector<Language> languages;
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
        Language l{settings::tag_text(*tag), name, {}, 0};
        const auto same = [&](const Language& o) {
            return settings::equal_ignoring_ascii_case(o.tag, l.tag);
        };
        if (std::any_of(languages.begin(), languages.end(), same))
            continue;
        l.chain = settings::localized_search_order({l.tag}, names);
        l.count = settings::to_int16(value(l.chain, settings::kNrOfItemsKey)).value_or(0);
        languages.push_back(std::move(l));
    }

    for (const Language& l : languages) {
        std::set<int> beyond;
        for (const std::string& key : document.key_names(l.section))
            if (const int n = item_number(key); n > std::max(l.count, 0))
                beyond.insert(n);
        add_runs(out, l.section, beyond, "localized_item_beyond_count",
                 "beyond NrOfItems as readers of " + l.tag + " get it (" +
                     std::to_string(std::max(l.count, 0)) + "): never shown");

        // Items another language translates, which this one leaves to [Menu].
        std::set<int> holes;
        std::vector<std::string> others; // the sections that translate them
        const int shown = std::min(l.count, labels);
        // A hole of a plainer language this one falls back to (de for de-CH) is told there.
        const auto told_plainer = [&](int n) {
            return std::any_of(languages.begin(), languages.end(), [&](const Language& m) {
                return &m != &l && n <= std::min(m.count, labels) &&
                       std::find(l.chain.begin(), l.chain.end(), m.section) != l.chain.end();
            });
        };
        for (int n = 1; n <= shown; ++n) {
            const std::string key = settings::item_key(n);
            if (holds(l.chain, key) || told_plainer(n))
                continue;
            for (const Language& other : languages)
                if (&other != &l && n <= other.count && holds(other.chain, key)) {
                    holes.insert(n);
                    if (std::find(others.begin(), others.end(), other.section) == others.end())
                        others.push_back(other.section);
                }
        }
        std::string list;
        for (const std::string& o : others)
            list += (list.empty() ? "[" : ", [") + o + "]";
        add_runs(out, l.section, holes, "untranslated_item",
                 "not translated here but in " + list + ": readers of " + l.tag +
                     " see [Menu]'s among their own items");
    }
    return out;
}

} // namespace check
