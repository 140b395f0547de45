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

// How a file's bytes were read.
struct FileEncoding {
    enum class Form { Utf8, Utf16LE, Utf16BE, AnsiCodePage };
    Form form = Form::Utf8;
    bool bom = false;
    unsigned code_page = 0; // for AnsiCodePage
};

// "UTF-8", "UTF-16LE", "UTF-16BE" or the code page's name ("windows-936").
std::string encoding_name(const FileEncoding& encoding);

class IniDocument {
public:
    // Parses raw file bytes: UTF-16 with BOM, UTF-8 (BOM or valid), otherwise the given ANSI
    // code page (the user's, see code_page.h).
    static IniDocument parse(std::string_view bytes, unsigned ansi_code_page = 1252);

    // The value of a key in UTF-8, cut to kMaxValueChars characters; nothing when the section
    // or the key is absent.
    std::optional<std::string> lookup(std::string_view section, std::string_view key) const;

    std::size_t section_count() const { return sections_.size(); }
    // The section names as written (trimmed), in the file's order; a repeated one once.
    std::vector<std::string> section_names() const;
    // The section's key names in lower case, in no particular order; empty when it is absent.
    std::vector<std::string> key_names(std::string_view section) const;
    const FileEncoding& encoding() const { return encoding_; }

private:
    struct Section {
        std::string name;                                    // as written
        std::unordered_map<std::string, std::string> values; // lower-case key -> raw value
    };
    void add_line(std::string_view line, Section*& current);

    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_; // lower-case name -> first section
    FileEncoding encoding_;
};

struct DecodedText {
    std::string text; // UTF-8
    FileEncoding encoding;
};

// Text decoding used by the parser, exposed for tests and tools.
DecodedText decode_text(std::string_view bytes, unsigned ansi_code_page);

// The bytes as UTF-8, a file without BOM that is not UTF-8 read in the given code page.
std::string decode_to_utf8(std::string_view bytes, unsigned ansi_code_page = 1252);

// The first `max_chars` characters of a UTF-8 string, never cutting a sequence in half.
std::string_view utf8_prefix(std::string_view text, std::size_t max_chars);

} // namespace settings
