// Starts a resolved program as a separate process: no shell, its own session, standard
// streams on /dev/null, the menu's environment and working folder. Reaping is the caller's.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "app/posix/program_path.h"

namespace posix {

// The child's process id, or -1 when nothing was started (exec failed included).
pid_t start_process(const std::string& path, const std::vector<std::string>& arguments);

// A resolved program: itself, or its loader or interpreter with the program's path as the first
// argument (the loader then gives the program that path as its argv[0]).
pid_t start_process(const Program& program, const std::vector<std::string>& arguments);

} // namespace posix
