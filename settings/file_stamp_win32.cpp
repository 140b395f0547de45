// Windows: the menu itself asks GetPrivateProfileStringA; this serves the tools and tests that
// use the portable reader there.
#include <filesystem>
#include <system_error>

#include "settings/file_stamp.h"

namespace settings {

std::optional<FileStamp> regular_file_stamp(const std::string& path) {
    std::error_code ec;
    const std::filesystem::directory_entry entry(std::filesystem::u8path(path), ec);
    if (ec || !entry.is_regular_file(ec))
        return std::nullopt;
    const std::uintmax_t size = entry.file_size(ec);
    if (ec)
        return std::nullopt;
    const long long modified = entry.last_write_time(ec).time_since_epoch().count();
    if (ec)
        return std::nullopt;
    return FileStamp{size, modified};
}

} // namespace settings
