// The preview's window, watch and loop, one implementation per system (preview_posix.cpp,
// preview_win32.cpp). Returns the exit status: 0 once the window is closed, 2 when no window
// or no watch can be had.
#pragma once

#include "tools/tavik_check/preview.h"

namespace check {

int run_preview(const PreviewOptions& options);

} // namespace check
