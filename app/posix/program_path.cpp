#include "app/posix/program_path.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

#include "app/posix/interpreter.h"
#include "settings/path_case.h"

namespace posix {
namespace {

bool is_executable_file(const std::string& path) {
    // By the mode bits too: on some FUSE media root's access(X_OK) says yes to a 0444 file.
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_mode & 0111) != 0 && ::access(path.c_str(), X_OK) == 0;
}

bool is_regular_file(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string real_path(const std::string& path) {
    char resolved[PATH_MAX + 1];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

// A file whose real path lies inside the medium's: links and `..` do not lead off it.
bool is_on_medium(const std::string& path, const std::string& medium_root) {
    const std::string root = real_path(medium_root);
    const std::string file = real_path(path);
    if (root.empty() || file.empty())
        return false;
    return root == "/" || file.rfind(root + "/", 0) == 0;
}

FileKind kind_of(const std::string& path) {
    std::array<char, 256> head{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return FileKind::Binary;
    const ssize_t n = ::pread(fd, head.data(), head.size(), 0);
    ::close(fd);
    return file_kind(std::string_view(head.data(), n > 0 ? static_cast<std::size_t>(n) : 0));
}

// The file on the disc, as the kernel would start it with its exec bit.
StartFiles::Found program_at_exact(const std::string& path, const std::string& medium_root) {
    StartFiles::Found found;
    if (!is_regular_file(path))
        return found;
    found.file = path;
    found.kind = kind_of(path);
    if (found.kind != FileKind::Elf && found.kind != FileKind::Script)
        return found; // text, documents, Windows programs: execve refuses them
    if (is_executable_file(path)) {
        // A script whose interpreter is missing fails in execve as well.
        if (found.kind == FileKind::Elf || interpreter_for(path))
            found.program = Program{path, {}};
        return found;
    }
    if (!is_on_medium(path, medium_root))
        return found;
    if (auto how = interpreter_for(path))
        found.program = Program{path, std::move(how->command)};
    return found;
}

// The path, or its case-insensitive match.
StartFiles::Found program_at(const std::string& path, const std::string& medium_root) {
    StartFiles::Found found = program_at_exact(path, medium_root);
    if (!found.file.empty())
        return found;
    const std::string matched = settings::resolve_case_insensitive(path);
    if (matched != path)
        return program_at_exact(matched, medium_root);
    return found;
}

std::string joined(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

} // namespace

std::string medium_root(const std::string& folder) {
    struct stat here {};
    if (folder.empty() || folder[0] != '/' || ::stat(folder.c_str(), &here) != 0)
        return folder;
    std::string root = folder;
    while (root != "/") {
        const std::size_t cut = root.find_last_of('/');
        const std::string parent = cut == 0 ? "/" : root.substr(0, cut);
        struct stat up {};
        if (::stat(parent.c_str(), &up) != 0 || up.st_dev != here.st_dev)
            break;
        root = parent;
    }
    return root;
}

StartFiles::Found find_on_disc(const std::string& program, const SearchPlaces& places) {
    if (program.empty() || program.find('\0') != std::string::npos)
        return {};
    if (program[0] == '/')
        return program_at(joined(places.medium_root, program.substr(1)), places.medium_root);
    return program_at(joined(places.executable_folder, program), places.medium_root);
}

std::optional<Program> find_in_path(const std::string& name, const std::string& path_variable) {
    if (name.empty() || name.find_first_of(std::string("/\0", 2)) != std::string::npos)
        return std::nullopt;
    std::string_view rest = path_variable;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        // Only absolute entries: an empty or relative one would depend on the working folder.
        if (dir.empty() || dir[0] != '/')
            continue;
        // The system's programs are named exactly (`Install` is not `install`) and keep
        // needing their exec bit.
        const std::string path = joined(std::string(dir), name);
        if (is_executable_file(path))
            return Program{path, {}};
    }
    return std::nullopt;
}

std::optional<Program> resolve_program(const std::string& program, const SearchPlaces& places) {
    StartFiles::Found found = find_on_disc(program, places);
    if (found.program)
        return found.program;
    if (program.find('/') != std::string::npos)
        return std::nullopt;
    return find_in_path(program, places.path_variable);
}

std::string PosixStartFiles::existing(const std::string& path) const {
    const std::string matched = settings::resolve_case_insensitive(path);
    struct stat st {};
    return ::stat(matched.c_str(), &st) == 0 ? matched : std::string();
}

LinuxStart linux_start_here(std::string_view command_line, const std::string& folder,
                            const std::string& medium_root) {
    const char* path_variable = std::getenv("PATH");
    const PosixStartFiles files(
        SearchPlaces{folder, medium_root, path_variable != nullptr ? path_variable : ""});
    return linux_start(command_line, DiscPlaces{folder, medium_root, '/'}, files);
}

} // namespace posix
