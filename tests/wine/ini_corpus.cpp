// Random lines use printable ASCII only, so that the ANSI code page cannot matter; the encoding
// cases hold the few non-ASCII texts, each written in the encodings that can carry it.
#include "ini_corpus.h"

#include <cstdint>
#include <random>

namespace wine_diff {
namespace {

const std::vector<std::string> kSections = {"Menu", "Other", "Sec Two", "x"};
const std::vector<std::string> kKeys = {"Picture", "Caption", "NrOfItems", "Item1",
                                        "Item2",   "Item10",  "Key Two",   "k"};

class Generator {
public:
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(rng_() % n); }
    bool one_in(std::uint32_t n) { return below(n) == 0; }
    template <class T> const T& pick(const std::vector<T>& v) {
        return v[below(static_cast<std::uint32_t>(v.size()))];
    }

    std::string blanks() {
        static const std::vector<std::string> kBlanks = {"", "", "", " ", "  ", "\t", " \t "};
        return pick(kBlanks);
    }
    std::string recased(const std::string& s) {
        std::string out = s;
        const std::uint32_t mode = below(4);
        for (char& c : out) {
            const bool upper = mode == 1 || (mode == 3 && one_in(2));
            const bool lower = mode == 2 || (mode == 3 && !upper);
            if (upper && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (lower && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    }
    std::string text(std::size_t n) {
        static const std::string kChars =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456789 .,:/\\-_()#";
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += kChars[below(static_cast<std::uint32_t>(kChars.size()))];
        return s;
    }
    std::string value() {
        switch (below(14)) {
        case 0:
            return "";
        case 1:
            return text(1 + below(20)) + "=" + text(below(10));
        case 2:
            return text(1 + below(10)) + " ; not a comment";
        case 3:
            return "\"" + text(below(20)) + "\"";
        case 4:
            return "'" + text(below(20)) + "'";
        case 5:
            return "\"" + text(below(20)) + "'";
        case 6:
            return pick(std::vector<std::string>{"\"", "'", "\"\"", "''", "\"x", "x\"", "'a\"b'"});
        case 7:
            return "\"" + text(1 + below(8)) + "\"" + text(1 + below(8)) + "\"";
        case 8:
            return text(pick(std::vector<std::size_t>{254, 255, 256, 300}));
        case 9: {
            // Exactly 255 characters inside quotes is a listed case (ini_exceptions).
            const char q = one_in(2) ? '"' : '\'';
            return q + text(pick(std::vector<std::size_t>{253, 254, 256, 257, 300})) + q;
        }
        case 10:
            return "Install,setup\\setup.exe /q,x";
        default:
            return text(1 + below(30));
        }
    }

    std::string line() {
        switch (below(16)) {
        case 0:
        case 1: {
            // A second ']' is a listed case (ini_exceptions).
            const std::string name = recased(pick(kSections));
            const std::string inner = one_in(4) ? blanks() + name + blanks() : name;
            const std::string after =
                pick(std::vector<std::string>{"", "", " ; note", "junk", " x=1", "\t; note"});
            return blanks() + "[" + inner + "]" + after;
        }
        case 2:
            return blanks() + "[" + recased(pick(kSections)) + blanks();
        case 3:
            return blanks() + ";" +
                   pick(std::vector<std::string>{"", " note", "Item1=comment", "[Menu]"});
        case 4:
            return pick(std::vector<std::string>{"", " ", "\t"});
        case 5: {
            return blanks() + recased(pick(kKeys)) + blanks();
        }
        case 6:
            return blanks() + "=" + text(below(8));
        default: {
            return blanks() + recased(pick(kKeys)) + blanks() + "=" + blanks() + value() + blanks();
        }
        }
    }

    std::string join(const std::vector<std::string>& lines) {
        static const std::vector<std::string> kEnds = {"\r\n", "\n", "\r"};
        const std::uint32_t style = below(4); // 3: mixed
        std::string out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += lines[i];
            if (i + 1 < lines.size() || !one_in(4))
                out += style == 3 ? pick(kEnds) : kEnds[style];
        }
        return out;
    }

private:
    std::mt19937 rng_{19950824u};
};

std::string utf16le(const std::u16string& s) {
    std::string out = "\xFF\xFE";
    for (char16_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::u16string ascii16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

std::vector<IniCase> encoding_cases() {
    const std::u16string e_acute = u"\u00E9", euro = u"\u20AC", alpha = u"\u03B1";
    std::u16string long_e(300, u'\u00E9');
    const std::u16string body = u"[Menu]\r\nCaption=Caf" + e_acute + u" " + euro + u"5\r\nItem1=" +
                                alpha + u"beta,run.exe\r\nItem2=" + long_e + u"\r\n";
    const std::string utf8_body = "[Menu]\r\nCaption=Caf\xC3\xA9 \xE2\x82\xAC"
                                  "5\r\nItem1=\xCE\xB1"
                                  "beta,run.exe\r\nItem2=" +
                                  [] {
                                      std::string s;
                                      for (int i = 0; i < 300; ++i)
                                          s += "\xC3\xA9";
                                      return s;
                                  }() +
                                  "\r\n";
    const std::vector<std::string> keys = {"Caption", "Item1", "Item2", "Item3"};
    return {
        {"UTF-16LE BOM, non-ASCII", utf16le(body), {"Menu"}, keys},
        {"UTF-8 BOM, non-ASCII", "\xEF\xBB\xBF" + utf8_body, {"Menu"}, keys},
        {"cp1252 bytes",
         "[Menu]\r\nCaption=Caf\xE9 \x80"
         "5\r\nItem1=\x93q\x94,x\r\n",
         {"Menu"},
         {"Caption", "Item1"}},
        {"UTF-16LE BOM, ASCII only",
         utf16le(ascii16("[Menu]\nCaption = \"quoted\"\nNrOfItems=3\n")),
         {"Menu"},
         {"Caption", "NrOfItems"}},
    };
}

} // namespace

std::vector<IniCase> ini_corpus() {
    Generator g;
    std::vector<IniCase> out;
    for (int n = 0; n < 400; ++n) {
        std::vector<std::string> lines;
        const std::uint32_t count = 1 + g.below(24);
        for (std::uint32_t i = 0; i < count; ++i)
            lines.push_back(g.line());
        std::string bytes = g.join(lines);
        std::string label = "random";
        const std::uint32_t encoding = g.below(8);
        if (encoding == 0) {
            bytes = "\xEF\xBB\xBF" + bytes;
            label += ", UTF-8 BOM";
        } else if (encoding == 1) {
            bytes = utf16le(ascii16(bytes));
            label += ", UTF-16LE BOM";
        }
        std::vector<std::string> sections;
        for (const auto& s : kSections)
            sections.push_back(g.recased(s));
        out.push_back({label, bytes, sections, kKeys});
    }
    for (auto& c : encoding_cases())
        out.push_back(std::move(c));
    return out;
}

} // namespace wine_diff
