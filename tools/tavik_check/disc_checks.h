// What only the disc shows: programs a Windows command names on the medium but the medium
// lacks, names that collide when case is ignored, a picture one of the two menus cannot load,
// and names longer than Joliet keeps.
#pragma once

#include <string>
#include <vector>

#include "app/posix/command_line.h"
#include "menu/frm_tavik_main.h"
#include "tools/tavik_check/check_result.h"

namespace check {

// Joliet keeps 64 UTF-16 characters of a name; a longer one is cut on Windows.
inline constexpr std::size_t kJolietNameChars = 64;

// folder: the menu's folder, whose tree is checked for names; medium_root: the folder a
// command's leading `\` names (the disc's root).
std::vector<Warning> disc_warnings(const menu::frmTavikMain& form, const menu::LoadFacts& facts,
                                   const std::string& folder, const std::string& medium_root);

} // namespace check
