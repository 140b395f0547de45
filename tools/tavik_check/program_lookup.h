// Where the Linux menu looks for an item's program, answered on the machine the check runs on
// (the files named for each platform).
#pragma once

#include <string>

namespace check {

// The folder a command's leading `\` names: the root of the medium that holds the folder.
std::string medium_root(const std::string& folder);

// Whether the Linux menu would find the program (`\` already `/`) of an item of the menu in
// the folder.
bool linux_menu_finds(const std::string& program, const std::string& folder,
                      const std::string& medium_root);

} // namespace check
