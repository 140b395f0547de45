// Where the Linux menu looks for an item's program, answered on the machine the check runs on
// (the files named for each platform).
#pragma once

#include <optional>
#include <string>

#include "tools/tavik_check/check_result.h"

namespace check {

// The folder a command's leading `\` names: the root of the medium that holds the folder.
std::string medium_root(const std::string& folder);

struct ProgramLookup {
    bool found = false;
    // Found, but started only in a roundabout way (a program without an exec bit).
    std::optional<Warning> warning;
};

// What the Linux menu would do with the program (`\` already `/`) of item `key` of the menu
// in the folder.
ProgramLookup linux_menu_lookup(const std::string& key, const std::string& program,
                                const std::string& folder, const std::string& medium_root);

} // namespace check
