// Where the Linux menu finds an item's program: on the medium, in its own folder, then in
// PATH; and what starts a program that has no exec bit on the medium. POSIX file calls, no
// window system, so it can be fuzzed and unit-tested on its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace posix {

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
