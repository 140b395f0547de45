#include "settings/ini_cache.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "settings/code_page.h"
#include "settings/file_stamp.h"
#include "settings/path_case.h"

namespace settings {
namespace {

// Larger files are read only this far: enough for any real menu, and a bound on memory.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

struct Entry {
    FileStamp stamp;
    unsigned code_page = 0; // the user's, which a file that is not UTF-8 was read in
    std::shared_ptr<const IniDocument> document;
};

std::unordered_map<std::string, Entry>& cache() {
    // The one cache of the process; the program is single-threaded.
    static std::unordered_map<std::string, Entry> entries;
    return entries;
}

} // namespace

std::shared_ptr<const IniDocument> load_ini_file(const std::string& requested) {
    std::string path = requested;
    auto stamp = regular_file_stamp(path);
    if (!stamp) {
        path = resolve_case_insensitive(requested);
        if (path == requested || !(stamp = regular_file_stamp(path)))
            return nullptr;
    }

    const unsigned code_page = user_ansi_code_page();
    auto& entries = cache();
    if (const auto it = entries.find(path);
        it != entries.end() && it->second.stamp.size == stamp->size &&
        it->second.stamp.modified == stamp->modified && it->second.code_page == code_page)
        return it->second.document;

    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(std::min(stamp->size, kMaxFileBytes)));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return nullptr;

    auto document = std::make_shared<const IniDocument>(IniDocument::parse(bytes, code_page));
    entries[path] = Entry{*stamp, code_page, document};
    return document;
}

void forget_ini_files() {
    cache().clear();
}

} // namespace settings
