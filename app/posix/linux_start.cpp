#include "app/posix/linux_start.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "app/posix/command_line.h"
#include "settings/ascii_case.h"

namespace posix {
namespace {

using settings::ascii_lower;
using settings::equal_ignoring_ascii_case;

// Folders where Windows keeps the programs below, drive and leading `\` taken off.
constexpr std::array<std::string_view, 11> kWindowsFolders = {
    "windows",
    "windows/system32",
    "windows/syswow64",
    "windows/sysnative",
    "program files/internet explorer",
    "program files (x86)/internet explorer",
    "program files/windows nt/accessories",
    "program files (x86)/windows nt/accessories",
    "program files/microsoft/edge/application",
    "program files (x86)/microsoft/edge/application",
    "windows/help",
};

constexpr std::array<std::string_view, 9> kIdioms = {
    "explorer", "notepad", "write", "wordpad", "iexplore", "msedge", "hh", "rundll32", "cmd"};

bool has_drive(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' &&
           ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

// The program's name when it is one of the programs every Windows has: any case, `.exe` or
// not, bare or in a Windows folder (`C:\Windows\`, `\Program Files\Internet Explorer\`).
std::string windows_program(std::string_view program) {
    const std::size_t cut = program.find_last_of('/');
    std::string name =
        ascii_lower(cut == std::string_view::npos ? program : program.substr(cut + 1));
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
        name.resize(name.size() - 4);
    if (std::find(kIdioms.begin(), kIdioms.end(), name) == kIdioms.end())
        return {};
    if (cut == std::string_view::npos)
        return name;
    std::string_view folder = program.substr(0, cut);
    const bool anchored = has_drive(folder) || (!folder.empty() && folder[0] == '/');
    if (has_drive(folder))
        folder.remove_prefix(2);
    while (!folder.empty() && folder.front() == '/')
        folder.remove_prefix(1);
    if (!anchored)
        return {};
    if (folder.empty())
        return name;
    const std::string lower = ascii_lower(folder);
    return std::find(kWindowsFolders.begin(), kWindowsFolders.end(), lower) != kWindowsFolders.end()
               ? name
               : std::string();
}

bool is_switch(const std::string& a) {
    return !a.empty() && (a[0] == '/' || a[0] == '-');
}

// The first argument that is no switch, or nothing.
std::optional<std::string> first_operand(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (!is_switch(a))
            return a;
    return std::nullopt;
}

// Whether `start` in a command line is followed by a quoted word: its window title.
bool start_has_title(std::string_view line) {
    const std::string lower = ascii_lower(line);
    for (std::size_t at = lower.find("start"); at != std::string::npos;
         at = lower.find("start", at + 1)) {
        std::size_t i = at + 5;
        if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"')
            continue;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        return i < line.size() && line[i] == '"';
    }
    return false;
}

// What the Windows program opens: its target as written, "" for none. `explorer` alone opens
// the disc's folder.
std::optional<std::string> idiom_target(const std::string& name, const CommandLine& command,
                                        std::string_view line) {
    const std::vector<std::string>& args = command.arguments;
    if (name == "explorer") {
        if (args.empty())
            return std::string(".");
        for (const std::string& a : args) {
            // explorer /e,X  /root,X  /select,X (the folder holding X, with X picked).
            const std::size_t comma = a.find(',');
            if (!a.empty() && a[0] == '/' && comma != std::string::npos) {
                const std::string option = ascii_lower(a.substr(0, comma));
                std::string value = a.substr(comma + 1);
                if (option == "/select") {
                    const std::size_t slash = value.find_last_of("\\/");
                    value = slash == std::string::npos ? "." : value.substr(0, slash + 1);
                }
                if (!value.empty())
                    return value;
                continue;
            }
            if (!is_switch(a))
                return a;
        }
        return std::string(".");
    }
    if (name == "rundll32") {
        if (args.size() >= 2 &&
            (equal_ignoring_ascii_case(args[0], "url.dll,FileProtocolHandler") ||
             equal_ignoring_ascii_case(args[0], "url.dll,OpenURL")))
            return args[1];
        return std::nullopt;
    }
    if (name == "cmd") {
        // cmd /c start ["title"] [/switches] TARGET
        if (args.size() < 2 ||
            !(equal_ignoring_ascii_case(args[0], "/c") ||
              equal_ignoring_ascii_case(args[0], "/k")) ||
            !equal_ignoring_ascii_case(args[1], "start"))
            return std::nullopt;
        std::size_t i = 2;
        if (start_has_title(line))
            ++i;
        for (; i < args.size(); ++i) {
            if (equal_ignoring_ascii_case(args[i], "/d")) {
                ++i; // its folder
                continue;
            }
            if (!is_switch(args[i]))
                return args[i];
        }
        return std::nullopt;
    }
    // notepad, write, wordpad, iexplore, msedge, hh: the file or URL they are given.
    return first_operand(args);
}

std::string on_platform(std::string path, char separator) {
    if (separator != '/')
        std::replace(path.begin(), path.end(), '/', separator);
    return path;
}

std::string joined(const std::string& folder, const std::string& rest) {
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\')
        return folder + rest;
    return folder + '/' + rest;
}

LinuxStart nothing(std::string kind, std::string why, std::string idiom = {}) {
    LinuxStart s;
    s.kind = std::move(kind);
    s.why = std::move(why);
    s.idiom = std::move(idiom);
    return s;
}

// The Windows program's work: its target on the disc or its URL, through the opener.
LinuxStart open_target(const std::string& idiom, const std::optional<std::string>& written,
                       const DiscPlaces& places, const StartFiles& files) {
    if (!written || written->empty())
        return nothing("nothing_to_open", idiom + " is given no file, folder or URL to open",
                       idiom);
    const std::string& text = *written;
    if (is_url(text)) {
        LinuxStart s;
        s.how = LinuxStart::How::Opener;
        s.target = text;
        s.idiom = idiom;
        return s;
    }
    if (has_drive(text))
        return nothing("nothing_to_open",
                       text + " names drive " + text.substr(0, 2) + ", which Linux does not have",
                       idiom);
    std::string path = text;
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::string base = path[0] == '/' ? places.medium_root : places.folder;
    const std::size_t skip = path.find_first_not_of('/');
    path = joined(base, skip == std::string::npos ? std::string() : path.substr(skip));
    const std::string found =
        files.existing(std::filesystem::path(path).lexically_normal().generic_string());
    if (found.empty())
        return nothing("nothing_to_open", text + " is not on the disc: " + idiom + " opens nothing",
                       idiom);
    std::string target = std::filesystem::path(found).lexically_normal().generic_string();
    while (target.size() > 1 && target.back() == '/')
        target.pop_back(); // a folder named as `docs\`
    LinuxStart s;
    s.how = LinuxStart::How::Opener;
    s.target = on_platform(target, places.separator);
    s.idiom = idiom;
    return s;
}

std::string why_not(const StartFiles::Found& found, const std::string& written) {
    switch (found.kind) {
    case FileKind::Elf:
        return written + " is an ELF program that cannot start here (another machine's, or "
                         "static without its exec bit)";
    case FileKind::Script:
        return written + " names a #! interpreter this machine does not have";
    case FileKind::WindowsProgram:
        return written + " is a Windows program: the Linux menu starts nothing";
    case FileKind::Text:
        return written + " is a text file without a #! line: it starts on no medium";
    case FileKind::Binary:
        break;
    }
    return written + " is neither an ELF program nor a #! script: the Linux menu starts nothing";
}

} // namespace

FileKind file_kind(std::string_view head) {
    if (head.substr(0, 4) == std::string_view("\x7f"
                                              "ELF",
                                              4))
        return FileKind::Elf;
    if (head.substr(0, 2) == "#!")
        return FileKind::Script;
    if (head.substr(0, 2) == "MZ")
        return FileKind::WindowsProgram;
    return head.find('\0') != std::string_view::npos ? FileKind::Binary : FileKind::Text;
}

bool is_url(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!alpha(text[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = text[i];
        if (!alpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

LinuxStart linux_start(std::string_view command_line, const DiscPlaces& places,
                       const StartFiles& files) {
    const CommandLine command = split_command_line(command_line);
    if (command.program.empty() || command.program.find('\0') != std::string::npos)
        return nothing("no_command", "no command: clicking the item does nothing");
    const StartFiles::Found found = files.on_disc(command.program);
    if (found.program) {
        LinuxStart s;
        s.how = LinuxStart::How::Program;
        s.program = *found.program;
        s.arguments = command.arguments;
        return s;
    }
    const std::string idiom = windows_program(command.program);
    if (!idiom.empty())
        return open_target(idiom, idiom_target(idiom, command, command_line), places, files);
    if (command.program.find('/') == std::string::npos) {
        if (auto program = files.in_path(command.program)) {
            LinuxStart s;
            s.how = LinuxStart::How::Program;
            s.program = *program;
            s.arguments = command.arguments;
            return s;
        }
    }
    if (!found.file.empty())
        return nothing(found.kind == FileKind::Text ? "no_shebang" : "not_a_program",
                       why_not(found, command.program));
    return nothing("program_not_found",
                   "command whose program cannot be found: " + command.program);
}

} // namespace posix
