// Splits an item's Windows-style command line into its program and arguments: the Windows
// splitting rules, `\` read as `/`. Plain text work, no system call: the Windows build of the
// check tool shares it, and it can be fuzzed and unit-tested on its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace posix {

struct CommandLine {
    std::string program;                // as written, `\` already turned into `/`
    std::vector<std::string> arguments; // without the program
};

// Program: quoted up to the next quote, else up to the first blank. Arguments: the rules of
// CommandLineToArgvW (backslashes before a quote, doubled quotes inside quotes).
CommandLine split_command_line(std::string_view line);

} // namespace posix
