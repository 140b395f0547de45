#include <sys/stat.h>

#include "settings/file_stamp.h"

namespace settings {

std::optional<FileStamp> regular_file_stamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{static_cast<std::uintmax_t>(st.st_size),
                     static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000 +
                         st.st_mtim.tv_nsec};
}

} // namespace settings
