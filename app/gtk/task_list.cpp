// org_kde_plasma_shell through its own event queue on GTK's Wayland connection: the globals
// are read in one round trip of that queue, so GTK's dispatching never sees our objects.
#include "app/gtk/task_list.h"

#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "plasma-shell-client-protocol.h"
#endif

namespace gtk_shell {

#ifdef GDK_WINDOWING_WAYLAND
namespace {

// set_skip_switcher came with version 5; set_skip_taskbar with 2.
constexpr std::uint32_t kWantedVersion = 5;

struct Globals {
    wl_registry* registry = nullptr;
    org_kde_plasma_shell* shell = nullptr;
    std::uint32_t version = 0;
};

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    auto& globals = *static_cast<Globals*>(data);
    if (globals.shell != nullptr ||
        std::strcmp(interface, org_kde_plasma_shell_interface.name) != 0 || version < 2)
        return;
    globals.version = std::min(version, kWantedVersion);
    globals.shell = static_cast<org_kde_plasma_shell*>(
        wl_registry_bind(registry, name, &org_kde_plasma_shell_interface, globals.version));
}

void on_global_remove(void*, wl_registry*, std::uint32_t) {}

} // namespace

void leave_task_list(GdkWindow* window) {
    if (window == nullptr || !GDK_IS_WAYLAND_WINDOW(window))
        return;
    wl_display* display = gdk_wayland_display_get_wl_display(gdk_window_get_display(window));
    wl_surface* surface = gdk_wayland_window_get_wl_surface(window);
    if (display == nullptr || surface == nullptr)
        return;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (queue == nullptr || wrapper == nullptr) {
        if (wrapper != nullptr)
            wl_proxy_wrapper_destroy(wrapper);
        if (queue != nullptr)
            wl_event_queue_destroy(queue);
        return;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    Globals globals;
    static const wl_registry_listener listener{on_global, on_global_remove};
    globals.registry = wl_display_get_registry(wrapper);
    wl_registry_add_listener(globals.registry, &listener, &globals);
    wl_display_roundtrip_queue(display, queue);
    if (globals.shell != nullptr) {
        // Kept for the window's life: the compositor forgets the properties with the object.
        org_kde_plasma_surface* plasma = org_kde_plasma_shell_get_surface(globals.shell, surface);
        org_kde_plasma_surface_set_skip_taskbar(plasma, 1);
        if (globals.version >= ORG_KDE_PLASMA_SURFACE_SET_SKIP_SWITCHER_SINCE_VERSION)
            org_kde_plasma_surface_set_skip_switcher(plasma, 1);
        wl_display_flush(display);
    }
    wl_registry_destroy(globals.registry);
    wl_proxy_wrapper_destroy(wrapper);
    // The shell and surface objects stay, and with them the queue they were made on.
}
#else
void leave_task_list(GdkWindow*) {}
#endif

} // namespace gtk_shell
