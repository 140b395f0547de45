// Parsed INI files, kept by path, size and modification time, so that reading every key of a
// large file costs one parse, while a changed file is read again.
#pragma once

#include <memory>
#include <string>

#include "settings/ini_document.h"

namespace settings {

// The parsed file, or nullptr when there is no readable regular file at the path.
std::shared_ptr<const IniDocument> load_ini_file(const std::string& path);

// Drops every parsed file, so the next lookup reads the file again. For the author's preview:
// a file rewritten within one tick of the file system's clock, at the same size, keeps its
// stamp (and a file renamed over it may have the same one too).
void forget_ini_files();

} // namespace settings
