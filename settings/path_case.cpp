#include "settings/path_case.h"

#include <filesystem>
#include <system_error>

namespace settings {
namespace {

namespace fs = std::filesystem;

bool same_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

std::string resolve_case_insensitive(const std::string& path) {
    std::error_code ec;
    const fs::path wanted(path);
    if (path.empty() || fs::exists(fs::symlink_status(wanted, ec)))
        return path;
    fs::path found = wanted.root_path();
    for (const fs::path& part : wanted.relative_path()) {
        const fs::path exact = found / part;
        if (fs::exists(fs::symlink_status(exact, ec)) || part == "." || part == "..") {
            found = exact;
            continue;
        }
        bool matched = false;
        const std::string name = part.string();
        const fs::path dir = found.empty() ? fs::path(".") : found;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string candidate = it->path().filename().string();
            if (same_ignoring_case(candidate, name)) {
                found /= candidate;
                matched = true;
                break;
            }
        }
        if (!matched)
            return path;
    }
    return found.string();
}

} // namespace settings
