// Keeping the native Wayland window off the task list and the window switcher, where the
// compositor offers an ordinary client a way: KDE's org_kde_plasma_shell (KWin). mutter and
// wlroots compositors offer none; under X11 GTK's skip-taskbar hint does it.
#pragma once

#include <gdk/gdk.h>

namespace gtk_shell {

// For a realized window; does nothing off Wayland or where the compositor offers no such
// protocol. Never fails.
void leave_task_list(GdkWindow* window);

} // namespace gtk_shell
