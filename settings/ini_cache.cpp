#include "settings/ini_cache.h"

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_map>

#include "settings/path_case.h"

namespace settings {
namespace {

namespace fs = std::filesystem;

// Larger files are read only this far: enough for any real menu, and a bound on memory.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

struct Entry {
    std::uintmax_t size = 0;
    fs::file_time_type modified;
    std::shared_ptr<const IniDocument> document;
};

std::unordered_map<std::string, Entry>& cache() {
    // The one cache of the process; the program is single-threaded.
    static std::unordered_map<std::string, Entry> entries;
    return entries;
}

} // namespace

std::shared_ptr<const IniDocument> load_ini_file(const std::string& requested) {
    const std::string path = resolve_case_insensitive(requested);
    // One directory_entry refresh: a single stat per lookup, since the load asks once per key.
    std::error_code ec;
    const fs::directory_entry entry(path, ec);
    if (ec || !entry.is_regular_file(ec))
        return nullptr;
    const std::uintmax_t size = entry.file_size(ec);
    if (ec)
        return nullptr;
    const fs::file_time_type modified = entry.last_write_time(ec);
    if (ec)
        return nullptr;

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
