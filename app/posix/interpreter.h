// How a program file without an exec bit is started, as the kernel would start it with one:
// an ELF program of this machine through the dynamic loader it names, a script through its
// `#!` interpreter, and nothing else (a text file without that line starts on no medium).
// Media often give no file an exec bit (Joliet-only images, udisks2's 0400 view of a disc
// without Rock Ridge); the program is still read from the medium, never copied off it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace posix {

struct Interpreter {
    enum class Kind { Loader, Script };
    Kind kind = Kind::Loader;
    // What goes before the file's own path: the loader, or the interpreter and its optional
    // argument.
    std::vector<std::string> command;
};

// Nothing when the file cannot be started that way: an ELF of another machine, one without a
// loader (static), a file that is neither ELF nor `#!`, an interpreter that is missing or not
// executable.
std::optional<Interpreter> interpreter_for(const std::string& path);

} // namespace posix
