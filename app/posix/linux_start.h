// What a click on an item does on Linux: start a program (itself, or through the loader or
// interpreter it names), hand a target to the desktop's opener (the programs every Windows has,
// done as they do it there), or nothing, and why. Portable text work over a view of the files:
// the GTK shell's click and both builds of tavik-check ask this one function, so the check
// reports what the click does.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace posix {

struct Program {
    std::string path;
    // Empty: the file is started itself. Else what starts it (see interpreter.h): a file on the
    // medium that has no exec bit.
    std::vector<std::string> interpreter;
    bool operator==(const Program&) const = default;
};

// What a file's first bytes make of it, as the kernel would take it.
enum class FileKind { Elf, Script, WindowsProgram, Text, Binary };
FileKind file_kind(std::string_view head);

// The files as the platform shows them (the POSIX lookup, or a Windows folder).
class StartFiles {
public:
    virtual ~StartFiles() = default;
    struct Found {
        std::optional<Program> program; // what starts
        std::string file;               // else the file the name found, if any
        FileKind kind = FileKind::Binary;
    };
    // A program name (`\` already `/`) on the disc: the medium for a leading `/`, else the
    // menu's folder; letter case ignored.
    virtual Found on_disc(const std::string& program) const = 0;
    // A bare name in PATH, matched exactly.
    virtual std::optional<Program> in_path(const std::string& name) const = 0;
    // The existing file or folder a path names, its letter case ignored; "" when none.
    virtual std::string existing(const std::string& path) const = 0;
};

struct DiscPlaces {
    std::string folder;      // the menu's folder
    std::string medium_root; // what a leading `\` names
    char separator = '/';    // the platform's, for the paths reported
};

struct LinuxStart {
    enum class How { Program, Opener, Nothing };
    How how = How::Nothing;
    Program program;                    // How::Program
    std::vector<std::string> arguments; // How::Program
    std::string target;                 // How::Opener: an absolute path, or a URL as written
    std::string idiom;                  // How::Opener and nothing to open: "explorer", ...
    std::string why;                    // How::Nothing
    std::string kind;                   // How::Nothing: the check's warning kind
};

// The program on the disc when it starts there; else the Windows program's work through the
// desktop's opener; else a bare name from PATH (exact name); else nothing.
LinuxStart linux_start(std::string_view command_line, const DiscPlaces& places,
                       const StartFiles& files);

// `scheme:rest` with a scheme of two letters or more (`C:\x` is a drive, not a URL).
bool is_url(std::string_view text);

} // namespace posix
