// Where the Linux menu finds an item's program: on the medium, in its own folder, then in
// PATH; and what starts a program that has no exec bit on the medium. POSIX file calls, no
// window system, so it can be fuzzed and unit-tested on its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/posix/linux_start.h"

namespace posix {

// The mount point holding a folder: walk up while the device stays the same. The folder
// itself when it cannot be examined.
std::string medium_root(const std::string& folder);

struct SearchPlaces {
    std::string executable_folder; // no trailing separator except "/"
    std::string medium_root;
    std::string path_variable; // $PATH, ':'-separated
};

// Only what the kernel would start: a file on the disc starts when it is an ELF program or a
// `#!` script whose interpreter exists; without an exec bit (only on the medium) through the
// loader or interpreter it names. A name starting with `/` is on the medium; any other from
// the executable's folder. Letter case is ignored when the exact name is missing. Folders are
// never chosen.
StartFiles::Found find_on_disc(const std::string& program, const SearchPlaces& places);

// A bare name in PATH's absolute entries, by its exact name, with its exec bit.
std::optional<Program> find_in_path(const std::string& name, const std::string& path_variable);

// The disc, then PATH for a bare name: the program file a name stands for, or nothing.
std::optional<Program> resolve_program(const std::string& program, const SearchPlaces& places);

// The files as this machine shows them to the Linux menu.
class PosixStartFiles : public StartFiles {
public:
    explicit PosixStartFiles(SearchPlaces places) : places_(std::move(places)) {}
    Found on_disc(const std::string& program) const override {
        return find_on_disc(program, places_);
    }
    std::optional<Program> in_path(const std::string& name) const override {
        return find_in_path(name, places_.path_variable);
    }
    std::string existing(const std::string& path) const override;
    const SearchPlaces& places() const { return places_; }

private:
    SearchPlaces places_;
};

// What a click on the command line does, with this machine's PATH and files.
LinuxStart linux_start_here(std::string_view command_line, const std::string& folder,
                            const std::string& medium_root);

} // namespace posix
