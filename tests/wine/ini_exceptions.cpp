#include "ini_exceptions.h"

namespace wine_diff {

std::vector<ListedIniCase> listed_ini_cases() {
    const std::string a255(255, 'a'), a254(254, 'a');
    return {
        // Wine closes a header at its last ']'; the design ignores everything after the first.
        {"second ] in a header", "[Menu]]\r\nCaption=a\r\n", "Menu", "Caption", "", "a"},
        {"second ] in a header", "[Menu]]\r\nCaption=a\r\n", "Menu]", "Caption", "a", ""},
        {"text with ] after a header", "[Menu] [x]\r\nCaption=a\r\n", "Menu", "Caption", "", "a"},
        // Wine strips the closing quote of a 255-character quoted value from the cut text,
        // losing its last character; the design strips the quotes, then cuts to 255.
        {"255 characters in quotes", "[Menu]\r\nCaption=\"" + a255 + "\"\r\n", "Menu", "Caption",
         a254, a255},
        {"255 characters in single quotes", "[Menu]\r\nCaption='" + a255 + "'\r\n", "Menu",
         "Caption", a254, a255},
        // Wine reads a file without BOM in the ANSI code page; the design takes valid UTF-8.
        {"UTF-8 without BOM", "[Menu]\r\nCaption=Caf\xC3\xA9\r\n", "Menu", "Caption", "Caf\xC3\xA9",
         "Caf\xE9"},
    };
}

} // namespace wine_diff
