// A parsed INI file with the lookup rules of the Windows profile functions: case-insensitive
// names, first section and first key win, trimmed keys and values, one pair of quotes stripped.
// Parsing never fails: any bytes give some document.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace settings {

// Longest value a lookup returns, in characters: the Windows call's 256-character buffer less
// its terminating zero.
inline constexpr std::size_t kMaxValueChars = 255;

class IniDocument {
public:
    // Parses raw file bytes: UTF-16 with BOM, UTF-8 (BOM or valid), otherwise Windows-1252.
    static IniDocument parse(std::string_view bytes);

    // The value of a key in UTF-8, cut to kMaxValueChars characters; nothing when the section
    // or the key is absent.
    std::optional<std::string> lookup(std::string_view section, std::string_view key) const;

    std::size_t section_count() const { return sections_.size(); }

private:
    struct Section {
        std::unordered_map<std::string, std::string> values; // lower-case key -> raw value
    };
    void add_line(std::string_view line, Section*& current);

    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_; // lower-case name -> first section
};

// Text decoding used by the parser, exposed for tests: the bytes as UTF-8.
std::string decode_to_utf8(std::string_view bytes);

// The first `max_chars` characters of a UTF-8 string, never cutting a sequence in half.
std::string_view utf8_prefix(std::string_view text, std::size_t max_chars);

} // namespace settings
