// setup on Linux: GTK start-up (X11, or under Wayland the backend that gives the design's
// window on this session), the load, then the window of app/gtk/window; screen readers see it
// through app/gtk/accessible. No keys, no dialogs. The window is laid out at 96 DPI and drawn
// at GDK's scale, with the pictures of that scale.
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#include <wayland-client.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/forms/last_guard.h"
#include "app/gtk/platform.h"
#include "app/gtk/window.h"
#include "menu/frm_tavik_main.h"
#include "settings/user_languages.h"

namespace {

using forms::last_guard;
using gtk_shell::GtkPlatform;

struct Shell {
    explicit Shell(const char* program) : platform(program) {}
    GtkPlatform platform;
    menu::frmTavikMain form{platform};
};

int run(const char* program) {
    static Shell shell(program); // lives until the process ends, as the form must
    shell.platform.set_scale(gtk_shell::opening_scale());
    last_guard([] {
        shell.form.UserLanguages = settings::user_languages();
        shell.form.Form_Load(); // before the window is first shown
    });
    static gtk_shell::MenuWindow window(shell.platform, shell.form, gtk_shell::WindowKind::Menu);
    gtk_widget_show_all(window.window());
    gtk_main();
    return 0;
}

#ifdef GDK_WINDOWING_WAYLAND
// The largest scale of the compositor's outputs (0 when no compositor answers), and whether it
// offers org_kde_plasma_shell.
void on_output_scale(void* data, wl_output*, std::int32_t factor) {
    int& largest = *static_cast<int*>(data);
    largest = std::max(largest, static_cast<int>(factor));
}

const wl_output_listener& output_listener() {
    static const wl_output_listener listener = [] {
        wl_output_listener l{};
        l.geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        std::int32_t, const char*, const char*, std::int32_t) {};
        l.mode = [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {};
        l.done = [](void*, wl_output*) {};
        l.scale = on_output_scale;
        return l;
    }();
    return listener;
}

struct OutputScan {
    int largest_scale = 0;
    bool plasma_shell = false; // KWin's: the task list and the switcher can be left natively
    std::vector<wl_output*> outputs;
};

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    auto& scan = *static_cast<OutputScan*>(data);
    if (std::strcmp(interface, "org_kde_plasma_shell") == 0)
        scan.plasma_shell = true;
    if (std::strcmp(interface, wl_output_interface.name) != 0 || version < 2)
        return;
    auto* output =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    wl_output_add_listener(output, &output_listener(), &scan.largest_scale);
    scan.outputs.push_back(output);
}

OutputScan scan_outputs() {
    OutputScan scan;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return scan;
    wl_registry_listener listener{};
    listener.global = on_global;
    listener.global_remove = [](void*, wl_registry*, std::uint32_t) {};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &scan);
    // The first round trip announces the outputs, the second their scales.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0)
        scan.largest_scale = 0;
    else
        scan.largest_scale = std::max(scan.largest_scale, 1);
    for (wl_output* output : scan.outputs)
        wl_output_destroy(output);
    scan.outputs.clear();
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return scan;
}
#endif

// Under Wayland with XWayland at hand, the X11 backend gets what no Wayland protocol gives an
// ordinary client of mutter: a position of its own and the skip-taskbar hint. XWayland draws at
// scale 1 though, and a scaled output then shows the window enlarged and blurred (or half its
// size): there native Wayland keeps it sharp. KWin centres the window and offers
// org_kde_plasma_shell (off the task list and the switcher, which X11 hints leave it in): native
// at every scale. A backend the user chose stays.
void choose_backend() {
#ifdef GDK_WINDOWING_WAYLAND
    const char* chosen = std::getenv("GDK_BACKEND");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    if ((chosen != nullptr && *chosen != '\0') || wayland == nullptr || *wayland == '\0' ||
        x11 == nullptr || *x11 == '\0')
        return;
    const OutputScan scan = scan_outputs();
    if (scan.largest_scale == 1 && !scan.plasma_shell)
        gdk_set_allowed_backends("x11,wayland");
#endif
}

} // namespace

int main(int argc, char** argv) {
    // The window class the desktop (and the tests) know the menu by.
    g_set_prgname("setup");
    choose_backend();
    // One thread for the whole run: GTK, pango, fontconfig and gdk-pixbuf are first touched
    // after gtk_init_check, which also sets the locale. Their type and font caches may not be
    // filled from a second thread while GTK starts.
    if (!gtk_init_check(&argc, &argv))
        return 1;
    int code = 1;
    const char* program = argc > 0 ? argv[0] : nullptr;
    last_guard([&] { code = run(program); });
    return code;
}
