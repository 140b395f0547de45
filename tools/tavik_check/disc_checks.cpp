#include "tools/tavik_check/disc_checks.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "app/forms/picture_header.h"
#include "app/posix/command_line.h"
#include "settings/ascii_case.h"
#include "settings/path_case.h"
#include "tools/tavik_check/headless_platform.h"

namespace check {
namespace {

namespace fs = std::filesystem;

bool is_file(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(settings::resolve_case_insensitive(path), ec);
}

// A program the Windows menu looks for on the disc: a path without a drive letter, `\...` from
// the disc's root, anything else from the current folder of its drive, the menu's folder when
// the disc started it; CreateProcess adds ".exe" to a name without an extension.
void check_windows_program(const std::string& key, const std::string& program,
                           const std::string& folder, const std::string& root,
                           std::vector<Warning>& out) {
    const bool has_drive = program.size() >= 2 && program[1] == ':';
    if (has_drive || program.find_first_of("\\/") == std::string::npos)
        return; // another drive, or a name Windows looks for along its own path
    std::string path = program;
    std::replace(path.begin(), path.end(), '\\', '/');
    path = (path[0] == '/' ? root : folder + "/") + path;
    const bool has_extension = fs::path(path).filename().string().find('.') != std::string::npos;
    if (is_file(path) || (!has_extension && is_file(path + ".exe")))
        return;
    out.push_back({key, "windows_program_not_on_disc",
                   "the Windows menu finds no " + program + " on the disc"});
}

// A relative path in the report's form: `/` between names on every system.
std::string generic(const fs::path& relative) {
    std::string text = path_text(relative);
    std::replace(text.begin(), text.end(), static_cast<char>(fs::path::preferred_separator), '/');
    return text;
}

void check_names(const std::string& root, std::vector<Warning>& out) {
    // Bounded: a disc has thousands of files, not millions; a hostile tree is not walked on.
    std::size_t budget = 100000;
    std::error_code ec;
    std::map<std::string, std::vector<std::string>> folders; // folder -> names
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator() && budget-- > 0; it.increment(ec)) {
        const std::string name = path_text(it->path().filename());
        const std::string where = generic(fs::relative(it->path(), root, ec));
        folders[generic(fs::relative(it->path().parent_path(), root, ec))].push_back(name);
        if (utf16_units(it->path().filename()) > kJolietNameChars)
            out.push_back({where, "name_too_long",
                           "a name of more than 64 characters: Windows sees it cut short"});
    }
    for (auto& [folder, names] : folders) {
        std::map<std::string, std::vector<std::string>> by_case;
        for (const std::string& n : names)
            by_case[settings::ascii_lower(n)].push_back(n);
        for (auto& [lower, same] : by_case) {
            if (same.size() < 2)
                continue;
            std::sort(same.begin(), same.end());
            std::string list;
            for (const std::string& n : same)
                list += (list.empty() ? "" : ", ") + n;
            out.push_back({folder == "." ? same[0] : folder + "/" + same[0], "names_collide",
                           "names that differ only in case (" + list +
                               "): Windows and the Linux menu's lookups see one of them"});
        }
    }
}

// BMP, JPEG, GIF and PNG load on both menus (Windows: OLE, then WIC for PNG); gdk-pixbuf on
// Linux reads more kinds (XPM, SVG, ...), which the Windows menu may not.
void check_picture(const menu::LoadFacts& facts, std::vector<Warning>& out) {
    if (!facts.picture_loaded)
        return;
    std::string path = facts.picture_path;
    std::replace(path.begin(), path.end(), '\\', '/'); // as the Linux menu's loader reads it
    std::ifstream in(settings::resolve_case_insensitive(path), std::ios::binary);
    std::vector<unsigned char> head(4096);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const forms::PictureKind kind = forms::read_picture_header(head).kind;
    if (kind != forms::PictureKind::Unknown)
        return;
    out.push_back({"Picture", "picture_format",
                   "the Linux menu shows this picture, the Windows menu may not load its format "
                   "(BMP, JPEG, GIF and PNG load on both)"});
}

} // namespace

std::vector<Warning> disc_warnings(const menu::frmTavikMain& form, const menu::LoadFacts& facts,
                                   const std::string& folder, const std::string& medium_root) {
    std::vector<Warning> out;
    const auto& labels = form.label_array().all();
    const int items = std::min<int>(facts.count, static_cast<int>(labels.size()) - 1);
    for (int i = 0; i < items; ++i) {
        const forms::Label& label = labels[static_cast<std::size_t>(i)];
        if (label.shown())
            check_windows_program(settings::item_key(i + 1),
                                  posix::split_command_line(label.tag()).program, folder,
                                  medium_root, out);
    }
    check_picture(facts, out);
    check_names(folder, out);
    return out;
}

} // namespace check
