#include "app/posix/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

extern char** environ;

namespace posix {
namespace {

// posix_spawn's attribute and file-action objects, released on every path.
struct SpawnSetup {
    posix_spawnattr_t attr{};
    posix_spawn_file_actions_t actions{};
    bool ok = false;

    SpawnSetup() {
        if (posix_spawnattr_init(&attr) != 0)
            return;
        if (posix_spawn_file_actions_init(&actions) != 0) {
            posix_spawnattr_destroy(&attr);
            return;
        }
        ok = true;
    }
    ~SpawnSetup() {
        if (ok) {
            posix_spawn_file_actions_destroy(&actions);
            posix_spawnattr_destroy(&attr);
        }
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

} // namespace

pid_t start_process(const std::string& path, const std::vector<std::string>& arguments) {
    SpawnSetup s;
    if (!s.ok)
        return -1;
    // A new session: the program outlives the menu and gets none of its terminal signals.
    // Signals back to defaults and unblocked: GLib's handlers mean nothing to the child.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    const auto flags =
        static_cast<short>(POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (posix_spawnattr_setflags(&s.attr, flags) != 0 ||
        posix_spawnattr_setsigmask(&s.attr, &none) != 0 ||
        posix_spawnattr_setsigdefault(&s.attr, &all) != 0)
        return -1;
    for (int fd = 0; fd <= 2; ++fd)
        if (posix_spawn_file_actions_addopen(&s.actions, fd, "/dev/null",
                                             fd == 0 ? O_RDONLY : O_WRONLY, 0) != 0)
            return -1;

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawn(&pid, path.c_str(), &s.actions, &s.attr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

pid_t start_process(const Program& program, const std::vector<std::string>& arguments) {
    if (program.interpreter.empty())
        return start_process(program.path, arguments);
    std::vector<std::string> rest(program.interpreter.begin() + 1, program.interpreter.end());
    rest.push_back(program.path);
    rest.insert(rest.end(), arguments.begin(), arguments.end());
    return start_process(program.interpreter.front(), rest);
}

} // namespace posix
