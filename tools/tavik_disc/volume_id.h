// The ISO 9660 volume identifier of a disc: at most 32 d-characters (A-Z, 0-9, _).
#pragma once

#include <string>
#include <string_view>

namespace disc {

inline constexpr std::size_t kMaxVolumeId = 32;

// The name made a valid identifier: upper case, every other character an underscore, cut to
// 32; "CDROM" when nothing is left.
std::string volume_id_from(std::string_view name);

} // namespace disc
