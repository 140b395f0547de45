// POSIX: the user's code page from the locale environment (not from setlocale: the menu must
// read a Chinese disc as Chinese on a desktop whose Chinese locale was never compiled), and the
// conversion by the C library's iconv.
#include "settings/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace settings {
namespace {

void append_utf8(std::string& out, unsigned char byte) {
    if (byte < 0x80) {
        out += static_cast<char>(byte);
    } else {
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
    }
}

class Converter {
public:
    explicit Converter(unsigned code_page)
        : cd_(iconv_open("UTF-8", ("CP" + std::to_string(code_page)).c_str())) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Appends the UTF-8 of `in` up to its end or the first byte that does not decode, from
    // the initial state; returns how many bytes were taken.
    std::size_t convert_prefix(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t left = in.size();
        std::array<char, 4096> buffer;
        while (left > 0) {
            char* dst = buffer.data();
            std::size_t room = buffer.size();
            const bool failed =
                iconv(cd_, &src, &left, &dst, &room) == static_cast<std::size_t>(-1);
            const int error = errno;
            out.append(buffer.data(), static_cast<std::size_t>(dst - buffer.data()));
            if (failed && error != E2BIG)
                break;
        }
        // A stateful converter may still hold a letter back, waiting for a mark to join.
        char* dst = buffer.data();
        std::size_t room = buffer.size();
        iconv(cd_, nullptr, nullptr, &dst, &room);
        out.append(buffer.data(), static_cast<std::size_t>(dst - buffer.data()));
        return in.size() - left;
    }

private:
    iconv_t cd_;
};

// glibc's converters for 1255 and 1258 join a letter and the point or tone mark after it into
// one character, where Windows keeps the mark as written: those two go a byte at a time.
bool joins_marks(unsigned code_page) {
    return code_page == 1255 || code_page == 1258;
}

// Each byte of a single-byte code page decoded on its own, which leaves nothing to join. An
// empty entry: the byte does not decode.
std::array<std::string, 256> byte_table(Converter& converter) {
    std::array<std::string, 256> table;
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        std::string text;
        if (converter.convert_prefix(std::string_view(&byte, 1), text) == 1)
            table[b] = std::move(text);
    }
    return table;
}

// One converter per code page for the whole run, and for the two code pages above their byte
// tables: opening a converter loads (and closing it unloads) glibc's module for the code page,
// which the check tool, trying every code page on each file, would otherwise do each time.
// Single-threaded, like the rest of the program.
struct CodePageTools {
    explicit CodePageTools(unsigned code_page) : converter(code_page) {
        if (converter.ok() && joins_marks(code_page))
            bytes = byte_table(converter);
    }
    Converter converter;
    std::array<std::string, 256> bytes; // filled only where marks are joined
};

CodePageTools& tools_for(unsigned code_page) {
    static std::unordered_map<unsigned, std::unique_ptr<CodePageTools>> opened;
    auto& slot = opened[code_page];
    if (!slot)
        slot = std::make_unique<CodePageTools>(code_page);
    return *slot;
}

} // namespace

unsigned user_ansi_code_page() {
    return ansi_code_page_for_locale(
        effective_locale(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG")));
}

std::string ansi_to_utf8(std::string_view bytes, unsigned code_page) {
    CodePageTools& tools = tools_for(code_page);
    Converter& converter = tools.converter;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    if (!converter.ok()) {
        for (char c : bytes)
            append_utf8(out, static_cast<unsigned char>(c));
        return out;
    }
    if (joins_marks(code_page)) {
        const auto& table = tools.bytes;
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (table[b].empty())
                append_utf8(out, b);
            else
                out += table[b];
        }
        return out;
    }
    for (std::size_t at = 0; at < bytes.size();) {
        at += converter.convert_prefix(bytes.substr(at), out);
        if (at < bytes.size())
            append_utf8(out, static_cast<unsigned char>(bytes[at++]));
    }
    return out;
}

bool decodes_cleanly(std::string_view bytes, unsigned code_page) {
    CodePageTools& tools = tools_for(code_page);
    Converter& converter = tools.converter;
    if (!converter.ok())
        return false;
    std::string out;
    if (!joins_marks(code_page))
        return converter.convert_prefix(bytes, out) == bytes.size();
    const auto& table = tools.bytes;
    for (char c : bytes)
        if (table[static_cast<unsigned char>(c)].empty())
            return false;
    return true;
}

} // namespace settings
