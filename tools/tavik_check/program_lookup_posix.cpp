#include "tools/tavik_check/program_lookup.h"

#include <sys/stat.h>

#include "app/posix/interpreter.h"
#include "app/posix/program_path.h"

namespace check {

std::string medium_root(const std::string& folder) {
    return posix::medium_root(folder);
}

// The Linux menu's own decision, with this machine's PATH.
posix::LinuxStart linux_start(const std::string& command_line, const std::string& folder,
                              const std::string& medium_root) {
    return posix::linux_start_here(command_line, folder, medium_root);
}

std::optional<Warning> exec_bit_warning(const std::string& key, const std::string& written,
                                        const posix::LinuxStart& start) {
    const posix::Program& program = start.program;
    if (start.how != posix::LinuxStart::How::Program || program.interpreter.empty())
        return std::nullopt;
    const std::string& first = program.interpreter.front();
    const auto how = posix::interpreter_for(program.path);
    // The loader maps the program executable: a noexec mount refuses that too.
    const std::string through =
        how && how->kind == posix::Interpreter::Kind::Script
            ? "its #! interpreter " + first
            : "the dynamic loader " + first + ", and not at all from a noexec mount";
    // tavik-disc gives 0555 on the image to what has its owner's exec bit in the folder; a
    // Joliet-only reader or udisks2's view of a disc without Rock Ridge shows no exec bit at all.
    return Warning{key, "no_exec_bit",
                   written + " has no exec bit: the Linux menu starts it only through " + through +
                       "; with its exec bit in the author's folder, tavik-disc marks it "
                       "executable on the image (Rock Ridge)"};
}

std::vector<Warning> prompt_warnings(const std::string& folder) {
    struct stat st {};
    const std::string path =
        folder + (folder.empty() || folder.back() != '/' ? "/" : "") + "autorun.sh";
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 0111) != 0)
        return {};
    // Seen as a normal user: nautilus-autorun-software runs autorun.sh through /bin/sh; nemo's
    // and caja's helpers (forks of an older GNOME one) want it executable.
    return {Warning{"autorun.sh", "autorun_not_executable",
                    "autorun.sh has no exec bit here (a Joliet-only disc, udisks2's view of a disc "
                    "without Rock Ridge, or the author's folder): GNOME's media prompt still runs "
                    "it, Cinnamon's (nemo) and MATE's (caja) answer Run with \"Cannot find the "
                    "autorun program\"; tavik-disc writes it 0555 with Rock Ridge"}};
}

} // namespace check
