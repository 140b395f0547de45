#include "tools/tavik_check/program_lookup.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

#include "settings/path_case.h"

namespace check {
namespace {

bool is_file(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(settings::resolve_case_insensitive(path), ec);
}

std::string joined(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        return folder + name;
    return folder + '\\' + name;
}

} // namespace

std::string medium_root(const std::string& folder) {
    char root[MAX_PATH * 4];
    if (folder.empty() || !GetVolumePathNameA(folder.c_str(), root, sizeof root))
        return folder;
    return root;
}

// The Linux menu's rules as far as the disc shows them: a leading `/` from the medium's root,
// anything else from the menu's folder. A Windows folder keeps no execute permission, so any
// file counts and none is reported for a missing exec bit (the permission it needs comes on
// the way to the image); and no Linux PATH is here to search, so a bare name counts only when
// the disc holds it.
ProgramLookup linux_menu_lookup(const std::string&, const std::string& program,
                                const std::string& folder, const std::string& medium_root) {
    if (program.empty() || program.find('\0') != std::string::npos)
        return {};
    if (program[0] == '/')
        return {is_file(joined(medium_root, program.substr(1))), std::nullopt};
    return {is_file(joined(folder, program)), std::nullopt};
}

} // namespace check
