#include "tools/tavik_check/program_lookup.h"

#include <cstdlib>

#include "app/posix/interpreter.h"
#include "app/posix/program_path.h"

namespace check {
namespace {

// A program found on the medium without an exec bit runs only through its loader or
// interpreter: a warning naming which (written: the program as the command names it), or
// nothing for a program with the bit.
std::optional<Warning> exec_bit_warning(const std::string& key, const std::string& written,
                                        const posix::Program& program) {
    if (program.interpreter.empty())
        return std::nullopt;
    const std::string& first = program.interpreter.front();
    std::string through;
    switch (posix::interpreter_for(program.path).value_or(posix::Interpreter{}).kind) {
    case posix::Interpreter::Kind::Loader:
        // The loader maps the program executable: a noexec mount refuses that too.
        through = "the dynamic loader " + first + ", and not at all from a noexec mount";
        break;
    case posix::Interpreter::Kind::Script:
        through = "its #! interpreter " + first;
        break;
    case posix::Interpreter::Kind::Shell:
        through = first + ", as a shell script without a #! line";
        break;
    }
    // tavik-disc gives 0555 on the image to what has its owner's exec bit in the folder; a
    // Joliet-only reader or udisks2's view of a disc without Rock Ridge shows no exec bit at all.
    return Warning{key, "no_exec_bit",
                   written + " has no exec bit: the Linux menu starts it only through " + through +
                       "; with its exec bit in the author's folder, tavik-disc marks it "
                       "executable on the image (Rock Ridge)"};
}

} // namespace

std::string medium_root(const std::string& folder) {
    return posix::medium_root(folder);
}

// The Linux menu's own lookup, with this machine's PATH.
ProgramLookup linux_menu_lookup(const std::string& key, const std::string& program,
                                const std::string& folder, const std::string& medium_root) {
    const char* path_variable = std::getenv("PATH");
    const posix::SearchPlaces places{folder, medium_root,
                                     path_variable != nullptr ? path_variable : ""};
    const auto found = posix::resolve_program(program, places);
    if (!found)
        return {};
    return {true, exec_bit_warning(key, program, *found)};
}

} // namespace check
