#include "settings/ini_document.h"

#include "settings/ascii_case.h"
#include "settings/blanks.h"
#include "settings/code_page.h"

#include <array>
#include <cstdint>

namespace settings {
namespace {

void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not one.
std::size_t utf8_sequence_length(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    std::uint32_t cp = b & (0xFF >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool is_valid_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = utf8_sequence_length(s, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string from_utf16(std::string_view s, bool big_endian) {
    std::string out;
    out.reserve(s.size() / 2);
    auto unit = [&](std::size_t i) -> std::uint32_t {
        const std::uint32_t a = static_cast<unsigned char>(s[i]);
        const std::uint32_t b = static_cast<unsigned char>(s[i + 1]);
        return big_endian ? (a << 8) | b : (b << 8) | a;
    };
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < s.size()) {
            const std::uint32_t lo = unit(i + 2);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD; // a lone surrogate has no UTF-8 form
        append_utf8(out, cp);
    }
    return out;
}

} // namespace

std::string encoding_name(const FileEncoding& encoding) {
    switch (encoding.form) {
    case FileEncoding::Form::Utf8:
        return "UTF-8";
    case FileEncoding::Form::Utf16LE:
        return "UTF-16LE";
    case FileEncoding::Form::Utf16BE:
        return "UTF-16BE";
    case FileEncoding::Form::AnsiCodePage:
        break;
    }
    return code_page_name(encoding.code_page);
}

DecodedText decode_text(std::string_view bytes, unsigned ansi_code_page) {
    using Form = FileEncoding::Form;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return {from_utf16(bytes.substr(2), false), {Form::Utf16LE, true, 0}};
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return {from_utf16(bytes.substr(2), true), {Form::Utf16BE, true, 0}};
    const bool bom = bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom)
        bytes.remove_prefix(3);
    if (is_valid_utf8(bytes))
        return {std::string(bytes), {Form::Utf8, bom, 0}};
    return {ansi_to_utf8(bytes, ansi_code_page), {Form::AnsiCodePage, false, ansi_code_page}};
}

std::string decode_to_utf8(std::string_view bytes, unsigned ansi_code_page) {
    return decode_text(bytes, ansi_code_page).text;
}

std::string_view utf8_prefix(std::string_view text, std::size_t max_chars) {
    std::size_t i = 0;
    for (std::size_t chars = 0; i < text.size() && chars < max_chars; ++chars) {
        const std::size_t n = utf8_sequence_length(text, i);
        i += n == 0 ? 1 : n;
    }
    return text.substr(0, i);
}

IniDocument IniDocument::parse(std::string_view bytes, unsigned ansi_code_page) {
    IniDocument doc;
    DecodedText decoded = decode_text(bytes, ansi_code_page);
    doc.encoding_ = decoded.encoding;
    const std::string text = std::move(decoded.text);
    Section* current = nullptr;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        doc.add_line(std::string_view(text).substr(start, end - start), current);
        if (end == text.size())
            break;
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return doc;
}

void IniDocument::add_line(std::string_view raw, Section*& current) {
    // A NUL ends the line's text, as it ends a C string in the Windows call.
    const std::string_view line = trim_ini_blanks(raw.substr(0, raw.find('\0')));
    if (line.empty() || line.front() == ';')
        return;
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos)
            return; // not a header: the section before it goes on
        const std::string_view written = trim_ini_blanks(line.substr(1, close - 1));
        const std::string name = ascii_lower(written);
        if (index_.count(name) != 0) {
            current = nullptr; // a repeated section: the first one wins, this one is ignored
            return;
        }
        index_.emplace(name, sections_.size());
        sections_.emplace_back();
        sections_.back().name = written;
        current = &sections_.back();
        return;
    }
    if (current == nullptr) {
        if (!sections_.empty())
            return; // inside an ignored repeated section
        // Lines before the first header belong to a section named "".
        index_.emplace(std::string(), 0);
        sections_.emplace_back();
        current = &sections_.back();
    }
    const std::size_t eq = line.find('=');
    const std::string_view key = trim_ini_blanks(line.substr(0, eq));
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view() : trim_ini_blanks(line.substr(eq + 1));
    current->values.try_emplace(ascii_lower(key), value); // first key wins
}

std::vector<std::string> IniDocument::section_names() const {
    std::vector<std::string> names;
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

std::vector<std::string> IniDocument::key_names(std::string_view section) const {
    std::vector<std::string> keys;
    if (const auto s = index_.find(ascii_lower(trim_ini_blanks(section))); s != index_.end())
        for (const auto& [key, value] : sections_[s->second].values)
            keys.push_back(key);
    return keys;
}

std::optional<std::string> IniDocument::lookup(std::string_view section,
                                               std::string_view key) const {
    const auto s = index_.find(ascii_lower(trim_ini_blanks(section)));
    if (s == index_.end())
        return std::nullopt;
    const auto& values = sections_[s->second].values;
    const auto k = values.find(ascii_lower(trim_ini_blanks(key)));
    if (k == values.end())
        return std::nullopt;
    std::string_view v = k->second;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(utf8_prefix(v, kMaxValueChars));
}

} // namespace settings
