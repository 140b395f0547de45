// Our INI reader against GetPrivateProfileStringA; prints a summary, true when all agree.
#pragma once

namespace wine_diff {
bool run_ini_diff();
} // namespace wine_diff
