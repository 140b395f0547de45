#include "tools/tavik_check/program_lookup.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "settings/ascii_case.h"
#include "tools/tavik_check/headless_platform.h"

namespace check {
namespace {

namespace fs = std::filesystem;

// The path with each name as the folder stores it: Windows finds `TOOLS\rec2.SH` as written,
// while the Linux menu reports the names the disc holds.
std::string stored_case(const std::string& path) {
    std::error_code ec;
    const fs::path wanted = fs::path(path).lexically_normal();
    fs::path found = wanted.root_path();
    for (const fs::path& part : wanted.relative_path()) {
        if (part.empty() || part == ".")
            continue; // the trailing separator of a folder, as `explorer .` gives it
        const std::string name = path_text(part);
        std::string stored;
        for (fs::directory_iterator it(found.empty() ? fs::path(".") : found, ec), end;
             !ec && it != end && stored.empty(); it.increment(ec))
            if (settings::equal_ignoring_ascii_case(path_text(it->path().filename()), name))
                stored = path_text(it->path().filename());
        if (stored.empty())
            return {};
        found /= fs::path(stored);
    }
    return path_text(found);
}

std::string joined(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        return folder + name;
    return folder + '\\' + name;
}

// The disc as a Windows folder shows it: files and their bytes, no execute permission (that
// comes on the way to the image) and no Linux PATH; the interpreter a script names is taken
// to exist, since only the Linux machine can tell.
class FolderFiles : public posix::StartFiles {
public:
    FolderFiles(std::string folder, std::string root)
        : folder_(std::move(folder)), root_(std::move(root)) {}

    Found on_disc(const std::string& program) const override {
        Found found;
        if (program.empty() || program.find('\0') != std::string::npos)
            return found;
        const std::string path =
            program[0] == '/' ? joined(root_, program.substr(1)) : joined(folder_, program);
        std::error_code ec;
        const std::string stored = stored_case(path);
        if (stored.empty() || !fs::is_regular_file(stored, ec))
            return found;
        std::ifstream in(stored, std::ios::binary);
        char head[256];
        in.read(head, sizeof head);
        found.file = stored;
        found.kind =
            posix::file_kind(std::string_view(head, static_cast<std::size_t>(in.gcount())));
        if (found.kind == posix::FileKind::Elf || found.kind == posix::FileKind::Script)
            found.program = posix::Program{stored, {}};
        return found;
    }
    std::optional<posix::Program> in_path(const std::string&) const override {
        return std::nullopt;
    }
    std::string existing(const std::string& path) const override { return stored_case(path); }

private:
    std::string folder_, root_;
};

} // namespace

std::string medium_root(const std::string& folder) {
    char root[MAX_PATH * 4];
    if (folder.empty() || !GetVolumePathNameA(folder.c_str(), root, sizeof root))
        return folder;
    return root;
}

posix::LinuxStart linux_start(const std::string& command_line, const std::string& folder,
                              const std::string& medium_root) {
    const FolderFiles files(folder, medium_root);
    return posix::linux_start(command_line, posix::DiscPlaces{folder, medium_root, '\\'}, files);
}

// A Windows folder keeps no execute permission: none is reported missing.
std::optional<Warning> exec_bit_warning(const std::string&, const std::string&,
                                        const posix::LinuxStart&) {
    return std::nullopt;
}

std::vector<Warning> prompt_warnings(const std::string&) {
    return {};
}

} // namespace check
