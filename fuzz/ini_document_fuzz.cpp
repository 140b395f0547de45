// IniDocument on any bytes: every answer is valid UTF-8 of at most 255 characters, names
// compare case-insensitively, parsing is repeatable, and a file built from pieces of the input
// gives back the value the lookup rules promise.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_check.h"
#include "settings/code_page.h"
#include "settings/ini_document.h"
#include "settings/menu_settings.h"

namespace {

using settings::IniDocument;

void check_answer(const std::optional<std::string>& value) {
    if (!value)
        return;
    const std::size_t chars = fuzz::utf8_length(*value);
    FUZZ_CHECK(chars != std::string::npos);
    FUZZ_CHECK(chars <= settings::kMaxValueChars);
}

// One lookup, asked in three spellings of the same names and of a second parse.
void check_lookup(const IniDocument& doc, const IniDocument& again, std::string_view section,
                  std::string_view key) {
    const auto value = doc.lookup(section, key);
    check_answer(value);
    FUZZ_CHECK(doc.lookup(fuzz::ascii_upper(section), fuzz::ascii_upper(key)) == value);
    FUZZ_CHECK(doc.lookup(fuzz::ascii_lower(section), fuzz::ascii_lower(key)) == value);
    FUZZ_CHECK(again.lookup(section, key) == value);
}

// The first `n` characters of valid UTF-8.
std::string cut_chars(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t chars = 0; i < s.size() && chars < n; ++chars) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0u) == 0x80u)
            ++i;
    }
    return std::string(s.substr(0, i));
}

// Letters and digits of a piece of the input: a name every reader agrees on.
std::string plain_name(std::string_view s) {
    std::string out;
    for (char c : s)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out += c;
    return out.empty() ? std::string("k") : out;
}

// Builds "[S]\nK=V\n" from pieces of the input and checks the value the rules promise.
void check_built_file(std::string_view text) {
    const std::size_t a = text.size() / 4, b = text.size() / 2;
    const std::string section = plain_name(text.substr(0, a));
    const std::string key = plain_name(text.substr(a, b - a));
    std::string value;
    for (char c : text.substr(b))
        if (c != '\r' && c != '\n' && c != '\0')
            value += c;
    if (fuzz::utf8_length(value) == std::string::npos)
        return; // would be read as Windows-1252: another encoding, not this check
    const std::string file = "[ " + section + " ]\r\n" + key + "\t=" + value + "\n";
    const IniDocument doc = IniDocument::parse(file);
    std::string_view expected = fuzz::trim_ini_blanks(value);
    if (expected.size() >= 2 && (expected.front() == '"' || expected.front() == '\'') &&
        expected.back() == expected.front())
        expected = expected.substr(1, expected.size() - 2);
    FUZZ_CHECK(doc.lookup(section, key) == cut_chars(expected, settings::kMaxValueChars));
    FUZZ_CHECK(doc.lookup(section + "x", key) == std::nullopt);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::as_text(data, size);
    // Files that are not UTF-8 are read in the user's code page: let the input pick one.
    const unsigned code_page =
        settings::kAnsiCodePages[bytes.empty() ? 0
                                               : static_cast<unsigned char>(bytes.back()) %
                                                     settings::kAnsiCodePages.size()];
    const IniDocument doc = IniDocument::parse(bytes, code_page);
    const IniDocument again = IniDocument::parse(bytes, code_page);
    FUZZ_CHECK(doc.section_count() == again.section_count());

    static const std::array<const char*, 9> kKeys = {
        settings::kPictureKey,   settings::kCaptionKey,   settings::kNrOfItemsKey,
        settings::kOffsetXKey,   settings::kOffsetYKey,   settings::kLineDistanceKey,
        settings::kForeColorKey, settings::kHighlightKey, settings::kFontSizeKey};
    for (const char* key : kKeys)
        check_lookup(doc, again, settings::kMenuSection, key);
    for (int i = 1; i <= 20; ++i)
        check_lookup(doc, again, settings::kMenuSection, settings::item_key(i));

    // Names taken from the input itself, so that lookups hit what the file defines.
    const std::string text = settings::decode_to_utf8(bytes, code_page);
    std::string section;
    std::size_t start = 0;
    for (int line = 0; line < 16 && start < text.size(); ++line) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view l = std::string_view(text).substr(start, end - start);
        if (!l.empty() && l.front() == '[')
            section = std::string(l.substr(1, l.find(']') == std::string_view::npos
                                                  ? std::string_view::npos
                                                  : l.find(']') - 1));
        else
            check_lookup(doc, again, section, l.substr(0, l.find('=')));
        start = end + 1;
    }
    // Arbitrary slices as names: misses must be clean too.
    if (size >= 2) {
        const std::size_t s = data[0] % size, k = data[1] % size;
        check_lookup(doc, again, bytes.substr(2, s), bytes.substr(2 + s / 2, k));
    }
    check_built_file(text);
    return 0;
}
