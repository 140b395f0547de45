// Parsed INI files, kept by path, size and modification time, so that reading every key of a
// large file costs one parse, while a changed file is read again.
#pragma once

#include <memory>
#include <string>

#include "settings/ini_document.h"

namespace settings {

// The parsed file, or nullptr when there is no readable regular file at the path.
std::shared_ptr<const IniDocument> load_ini_file(const std::string& path);

} // namespace settings
