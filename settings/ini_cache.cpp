#include "settings/ini_cache.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_map>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "settings/path_case.h"

namespace settings {
namespace {

namespace fs = std::filesystem;

// Larger files are read only this far: enough for any real menu, and a bound on memory.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

using FileTime = long long; // nanoseconds since the epoch (ticks on Windows)

struct Entry {
    std::uintmax_t size = 0;
    FileTime modified = 0;
    std::shared_ptr<const IniDocument> document;
};

std::unordered_map<std::string, Entry>& cache() {
    // The one cache of the process; the program is single-threaded.
    static std::unordered_map<std::string, Entry> entries;
    return entries;
}

// Size and modification time of a regular file; false for anything else. One stat call:
// the load asks once per key, up to 32768 times.
bool stat_regular_file(const std::string& path, std::uintmax_t& size, FileTime& modified) {
#ifdef _WIN32
    std::error_code ec;
    const fs::directory_entry entry(fs::u8path(path), ec);
    if (ec || !entry.is_regular_file(ec))
        return false;
    size = entry.file_size(ec);
    if (ec)
        return false;
    modified = entry.last_write_time(ec).time_since_epoch().count();
    return !ec;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = static_cast<std::uintmax_t>(st.st_size);
    modified = static_cast<FileTime>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return true;
#endif
}

} // namespace

std::shared_ptr<const IniDocument> load_ini_file(const std::string& requested) {
    std::string path = requested;
    std::uintmax_t size = 0;
    FileTime modified = 0;
    if (!stat_regular_file(path, size, modified)) {
        path = resolve_case_insensitive(requested);
        if (path == requested || !stat_regular_file(path, size, modified))
            return nullptr;
    }

    auto& entries = cache();
    if (const auto it = entries.find(path);
        it != entries.end() && it->second.size == size && it->second.modified == modified)
        return it->second.document;

    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(std::min(size, kMaxFileBytes)));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return nullptr;

    auto document = std::make_shared<const IniDocument>(IniDocument::parse(bytes));
    entries[path] = Entry{size, modified, document};
    return document;
}

} // namespace settings
