#include "tools/tavik_check/program_lookup.h"

#include <cstdlib>

#include "app/posix/command_line.h"

namespace check {

std::string medium_root(const std::string& folder) {
    return posix::medium_root(folder);
}

// The Linux menu's own lookup, with this machine's PATH.
bool linux_menu_finds(const std::string& program, const std::string& folder,
                      const std::string& medium_root) {
    const char* path_variable = std::getenv("PATH");
    const posix::SearchPlaces places{folder, medium_root,
                                     path_variable != nullptr ? path_variable : ""};
    return posix::resolve_program(program, places).has_value();
}

} // namespace check
