/* A pointer for headless compositors that have no input device: the wlroots virtual pointer
 * (sway) or KWin's fake input, whichever the compositor offers. Reads lines from stdin:
 * "move X Y" (logical px of the layout), "press", "release"; answers each with "ok" once the
 * compositor has taken it. Stays connected until stdin closes, so the pointer stays. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct wl_seat* seat;
static struct zwlr_virtual_pointer_manager_v1* wlr_manager;
static struct org_kde_kwin_fake_input* kwin_input;

static void on_global(void* data, struct wl_registry* registry, uint32_t name,
                      const char* interface, uint32_t version) {
    (void)data;
    if (strcmp(interface, wl_seat_interface.name) == 0 && seat == NULL)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        wlr_manager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 3)
        kwin_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 3);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

int main(int argc, char** argv) {
    /* The layout's logical size, for the wlroots pointer's absolute motion. */
    unsigned width = 0, height = 0;
    if (argc != 3 || sscanf(argv[1], "%u", &width) != 1 || sscanf(argv[2], "%u", &height) != 1) {
        fprintf(stderr, "usage: %s LAYOUT_WIDTH LAYOUT_HEIGHT\n", argv[0]);
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "no compositor\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    struct zwlr_virtual_pointer_v1* pointer = NULL;
    if (wlr_manager != NULL)
        pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(wlr_manager, seat);
    else if (kwin_input != NULL)
        org_kde_kwin_fake_input_authenticate(kwin_input, "tavik tests", "pointer for tests");
    else {
        fprintf(stderr, "the compositor offers no pointer to a client\n");
        return 1;
    }
    wl_display_roundtrip(display);
    puts("ready");
    fflush(stdout);

    char line[128];
    unsigned time = 1;
    while (fgets(line, sizeof line, stdin) != NULL) {
        double x = 0, y = 0;
        const int is_move = sscanf(line, "move %lf %lf", &x, &y) == 2;
        const int is_press = strncmp(line, "press", 5) == 0;
        const int is_release = strncmp(line, "release", 7) == 0;
        if (!is_move && !is_press && !is_release) {
            puts("?");
            fflush(stdout);
            continue;
        }
        time += 16;
        if (pointer != NULL) {
            if (is_move)
                zwlr_virtual_pointer_v1_motion_absolute(pointer, time, (uint32_t)x, (uint32_t)y,
                                                        width, height);
            else
                zwlr_virtual_pointer_v1_button(pointer, time, BTN_LEFT,
                                               is_press ? WL_POINTER_BUTTON_STATE_PRESSED
                                                        : WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else {
            if (is_move)
                org_kde_kwin_fake_input_pointer_motion_absolute(kwin_input, wl_fixed_from_double(x),
                                                                wl_fixed_from_double(y));
            else
                org_kde_kwin_fake_input_button(kwin_input, BTN_LEFT, is_press ? 1 : 0);
        }
        if (wl_display_roundtrip(display) < 0)
            return 1;
        puts("ok");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
