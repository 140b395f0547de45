// What the Linux menu does with an item's command, answered on the machine the check runs on
// (the files named for each platform), through the one decision the menu's click makes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/posix/linux_start.h"
#include "tools/tavik_check/check_result.h"

namespace check {

// The folder a command's leading `\` names: the root of the medium that holds the folder.
std::string medium_root(const std::string& folder);

// What a click on the command line does on Linux, as far as this machine shows the disc.
posix::LinuxStart linux_start(const std::string& command_line, const std::string& folder,
                              const std::string& medium_root);

// A program that starts only in a roundabout way (found on the medium without an exec bit):
// what the author should know; nothing otherwise. `written`: the program as the command has it.
std::optional<Warning> exec_bit_warning(const std::string& key, const std::string& written,
                                        const posix::LinuxStart& start);

// The folder's autorun.sh without an exec bit: the desktops whose media prompt refuses it.
std::vector<Warning> prompt_warnings(const std::string& folder);

} // namespace check
