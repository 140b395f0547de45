#include "tools/tavik_disc/volume_id.h"

#include "settings/blanks.h"

namespace disc {

std::string volume_id_from(std::string_view name) {
    std::string id;
    for (const char c : settings::trim_blanks(name)) {
        if (id.size() == kMaxVolumeId)
            break;
        if (c >= 'a' && c <= 'z')
            id += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            id += c;
        else
            id += '_';
    }
    return id.find_first_not_of('_') == std::string::npos ? "CDROM" : id;
}

} // namespace disc
