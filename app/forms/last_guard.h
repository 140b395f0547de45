// The last guard at every entry from the window system (a window procedure's message, a GTK
// callback, the program's start): nothing unwinds into the toolkit's C code and no error ever
// reaches the user. The form's own failure modes (skip a load step, abandon a click) are
// inside; this catches anything else as well, a bad_alloc included.
#pragma once

namespace forms {

template <class F> void last_guard(F&& f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

} // namespace forms
