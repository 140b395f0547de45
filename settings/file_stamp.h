// Size and modification time of a regular file: what the INI cache compares to tell a changed
// file. One implementation per platform, picked by CMake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace settings {

struct FileStamp {
    std::uintmax_t size = 0;
    long long modified = 0; // nanoseconds since the epoch on POSIX, file-time ticks on Windows
};

// nullopt for anything but a regular file. One system call: the load asks once per key.
std::optional<FileStamp> regular_file_stamp(const std::string& path);

} // namespace settings
