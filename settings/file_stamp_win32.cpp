// Windows: the menu itself asks GetPrivateProfileStringA; this serves the tools and tests that
// use the portable reader there.
#include <windows.h>

#include <climits>
#include <filesystem>
#include <system_error>

#include "settings/file_stamp.h"

namespace settings {
namespace {

// The path is ANSI code-page text, as the profile function and the C library's fopen read it.
std::filesystem::path ansi_path(const std::string& path) {
    if (path.empty() || path.size() > INT_MAX)
        return {};
    const int n = static_cast<int>(path.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, path.data(), n, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(chars > 0 ? chars : 0), L'\0');
    if (chars > 0)
        MultiByteToWideChar(CP_ACP, 0, path.data(), n, wide.data(), chars);
    return wide;
}

} // namespace

std::optional<FileStamp> regular_file_stamp(const std::string& path) {
    std::error_code ec;
    const std::filesystem::directory_entry entry(ansi_path(path), ec);
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
