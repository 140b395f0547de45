// Turns an item's Windows-style command line into a program file and its arguments: the
// Windows splitting rules, `\` read as `/`, and where a Linux shell looks for the program.
// No window system here, so it can be fuzzed and unit-tested on its own.
#pragma once

#include <optional>
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

// The mount point holding a folder: walk up while the device stays the same. The folder
// itself when it cannot be examined.
std::string medium_root(const std::string& folder);

struct SearchPlaces {
    std::string executable_folder; // no trailing separator except "/"
    std::string medium_root;
    std::string path_variable; // $PATH, ':'-separated
};

struct Program {
    std::string path;
    // Empty: the file is started itself. Else what starts it (see interpreter.h): a file on the
    // medium that has no exec bit.
    std::vector<std::string> interpreter;
    bool operator==(const Program&) const = default;
};

// The program file a program name stands for, or nothing. A name starting with `/` is on the
// medium; one with a `/` inside is taken from the executable's folder; a bare name from the
// executable's folder, then PATH. Letter case is ignored when the exact name is missing.
// Folders are never chosen. A file without execute permission is chosen only when it lies on
// the medium (found there, not through PATH) and its loader or interpreter can start it.
std::optional<Program> resolve_program(const std::string& program, const SearchPlaces& places);

} // namespace posix
