#include "app/posix/program_path.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::optional<Program> program_at_exact(const std::string& path, const std::string* medium_root) {
    if (is_executable_file(path))
        return Program{path, {}};
    struct stat st {};
    if (medium_root == nullptr || path.empty() || ::stat(path.c_str(), &st) != 0 ||
        !S_ISREG(st.st_mode) || !is_on_medium(path, *medium_root))
        return std::nullopt;
    if (auto how = interpreter_for(path))
        return Program{path, std::move(how->command)};
    return std::nullopt;
}

// The path, or its case-insensitive match, when that is a program file; without an exec bit
// only on the medium, when one is given.
std::optional<Program> program_at(const std::string& path, const std::string* medium_root) {
    if (auto found = program_at_exact(path, medium_root))
        return found;
    std::string matched = settings::resolve_case_insensitive(path);
    if (matched != path)
        return program_at_exact(matched, medium_root);
    return std::nullopt;
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

std::optional<Program> resolve_program(const std::string& program, const SearchPlaces& places) {
    if (program.empty() || program.find('\0') != std::string::npos)
        return std::nullopt;
    const std::string* medium = &places.medium_root;
    if (program[0] == '/')
        return program_at(joined(places.medium_root, program.substr(1)), medium);
    if (program.find('/') != std::string::npos)
        return program_at(joined(places.executable_folder, program), medium);
    if (auto here = program_at(joined(places.executable_folder, program), medium))
        return here;
    std::string_view rest = places.path_variable;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        // Only absolute entries: an empty or relative one would depend on the working folder.
        if (dir.empty() || dir[0] != '/')
            continue;
        // The system's programs keep needing their exec bit.
        if (auto found = program_at(joined(std::string(dir), program), nullptr))
            return found;
    }
    return std::nullopt;
}

} // namespace posix
