// Number rules against the platform's own parser; prints a summary, true when all agree.
#pragma once

namespace wine_diff {
bool run_number_diff();
} // namespace wine_diff
