#include "app/posix/command_line.h"

#include "settings/blanks.h"

namespace posix {
namespace {

using settings::is_blank;

// Splits the arguments after the program the way CommandLineToArgvW does.
std::vector<std::string> split_arguments(std::string_view s) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < s.size() && is_blank(s[i]))
        ++i;
    if (i == s.size())
        return args;
    std::string arg;
    int quotes = 0; // 1 while inside quotes
    std::size_t backslashes = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (is_blank(c) && quotes == 0) {
            args.push_back(std::move(arg));
            arg.clear();
            while (i < s.size() && is_blank(s[i]))
                ++i;
            backslashes = 0;
            if (i == s.size())
                return args;
            continue;
        }
        if (c == '\\') {
            arg += c;
            ++backslashes;
            ++i;
            continue;
        }
        if (c == '"') {
            // 2n backslashes + quote: n backslashes and a quote that toggles; 2n+1: n and a
            // literal quote.
            arg.resize(arg.size() - backslashes / 2 - (backslashes % 2));
            if (backslashes % 2 == 0)
                ++quotes;
            else
                arg += '"';
            backslashes = 0;
            ++i;
            // A run of quotes: every third one counted from the opening quote is literal.
            while (i < s.size() && s[i] == '"') {
                if (++quotes == 3) {
                    arg += '"';
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2)
                quotes = 0;
            continue;
        }
        arg += c;
        backslashes = 0;
        ++i;
    }
    args.push_back(std::move(arg));
    return args;
}

} // namespace

CommandLine split_command_line(std::string_view line) {
    CommandLine result;
    std::size_t i = 0;
    while (i < line.size() && is_blank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '"') {
        const std::size_t end = line.find('"', i + 1);
        const std::size_t stop = end == std::string_view::npos ? line.size() : end;
        result.program = std::string(line.substr(i + 1, stop - i - 1));
        i = end == std::string_view::npos ? line.size() : end + 1;
    } else {
        const std::size_t start = i;
        while (i < line.size() && !is_blank(line[i]))
            ++i;
        result.program = std::string(line.substr(start, i - start));
    }
    for (char& c : result.program)
        if (c == '\\')
            c = '/';
    result.arguments = split_arguments(line.substr(i));
    return result;
}

} // namespace posix
