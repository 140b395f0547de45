// The item labels' hand cursor from the embedded hand.cur, hot spot at the fingertip; the
// theme's hand when the image cannot be decoded.
#pragma once

#include <gdk/gdk.h>

#include "app/gtk/gobject_ptr.h"

namespace gtk_shell {

inline constexpr int kHandHotX = 12;
inline constexpr int kHandHotY = 1;

GObjectPtr<GdkCursor> make_hand_cursor(GdkDisplay* display);

} // namespace gtk_shell
