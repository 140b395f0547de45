#include "settings/path_case.h"

#include <filesystem>
#include <system_error>

#include "settings/ascii_case.h"

namespace settings {

namespace fs = std::filesystem;

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
            if (equal_ignoring_ascii_case(candidate, name)) {
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
