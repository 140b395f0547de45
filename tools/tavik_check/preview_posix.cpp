// The preview on Linux: the GTK menu window of app/gtk (decorated, movable), inotify on the
// folders of the settings file and of its picture as one more source of GLib's main loop, so
// nothing runs while nothing changes. Folders are watched rather than files: an editor that
// saves by renaming a new file over the old one replaces the file's inode.
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <pango/pangocairo.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstring>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "app/forms/last_guard.h"
#include "app/gtk/paint.h"
#include "app/gtk/text.h"
#include "app/gtk/units.h"
#include "app/gtk/window.h"
#include "tools/tavik_check/preview_run.h"

namespace check {
namespace {

using forms::last_guard;
using gtk_shell::to_px;

// Events of one save come in a burst (truncate, writes, close; or create, write, rename):
// the load waits this long after the last one, and runs once.
constexpr guint kSettleMs = 40;

constexpr std::uint32_t kWatchMask = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE |
                                     IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                     IN_MOVE_SELF | IN_ONLYDIR;

// The overlay's colour: cyan, seldom a menu's own.
void overlay_color(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 1, 1);
}

// A text on black at (x, y); beside the box it names when there is room, else inside it.
void overlay_text(cairo_t* cr, const std::string& text, double x, double y, double box_left,
                  int client_width) {
    const auto layout = gtk_shell::make_layout(text, forms::Font{"DejaVu Sans", 7, false, false});
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout.get(), &w, &h);
    if (x + w + 4 > client_width)
        x = box_left - w - 6;
    if (x < 0)
        x = std::max(box_left + 1, 0.0);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, x, y, w + 4, h);
    cairo_fill(cr);
    overlay_color(cr);
    cairo_move_to(cr, x + 2, y);
    pango_cairo_show_layout(cr, layout.get());
}

class GtkPreview final : public gtk_shell::WindowHooks {
public:
    explicit GtkPreview(const PreviewOptions& options)
        : platform_(nullptr), preview_(platform_, options, std::cout) {}
    ~GtkPreview() override {
        if (inotify_ >= 0)
            ::close(inotify_);
    }

    int run();

    void key_pressed(guint keyval) override {
        if (keyval == GDK_KEY_o || keyval == GDK_KEY_O)
            preview_.toggle_overlay();
    }

    void pointer_moved(forms::Point at) override {
        preview_.pointer_at(at);
        if (preview_.overlay())
            gtk_widget_queue_draw(window_->client());
    }

    void paint_over(cairo_t* cr) override;

private:
    static gboolean on_inotify(gint fd, GIOCondition, gpointer data);
    static gboolean on_settled(gpointer data);
    bool drain(int fd);
    void watch_files();
    void reload();

    gtk_shell::GtkPlatform platform_;
    Preview preview_;
    std::unique_ptr<gtk_shell::MenuWindow> window_;
    int inotify_ = -1;
    std::map<int, std::set<std::string>> watches_; // descriptor -> the folder's names
    std::vector<WatchedFile> files_;
    guint settle_ = 0;
};

void GtkPreview::paint_over(cairo_t* cr) {
    if (!preview_.overlay())
        return;
    const gtk_shell::PixelSize client = gtk_shell::client_size_px(preview_.form());
    cairo_save(cr);
    cairo_set_line_width(cr, 1);
    for (const OverlayBox& b : preview_.overlay_boxes()) {
        const double left = to_px(b.box.left), top = to_px(b.box.top);
        const double right = to_px(b.box.right()), bottom = to_px(b.box.bottom());
        overlay_color(cr);
        cairo_rectangle(cr, left + 0.5, top + 0.5, std::max(right - left - 1, 0.0),
                        std::max(bottom - top - 1, 0.0));
        cairo_stroke(cr);
        overlay_text(cr, b.text, right + 2, top, left, client.width);
    }
    overlay_text(cr, preview_.pointer_text(), 0, client.height - 14, 0, client.width);
    cairo_restore(cr);
}

bool GtkPreview::drain(int fd) {
    // Aligned for the event structures read into it.
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    bool changed = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return changed; // EAGAIN: all read
        for (ssize_t at = 0; at < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof(inotify_event);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
            if ((event.mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF)) != 0) {
                changed = true; // events lost, or the folder itself went: load again
                continue;
            }
            if ((event.mask & IN_IGNORED) != 0) {
                watches_.erase(event.wd);
                continue;
            }
            const auto it = watches_.find(event.wd);
            if (event.len == 0 || it == watches_.end())
                continue;
            for (const std::string& folder : it->second)
                changed = changed || is_watched(files_, folder, name);
        }
    }
}

gboolean GtkPreview::on_inotify(gint fd, GIOCondition, gpointer data) {
    last_guard([&] {
        auto& self = *static_cast<GtkPreview*>(data);
        if (!self.drain(fd))
            return;
        if (self.settle_ != 0)
            g_source_remove(self.settle_);
        self.settle_ = g_timeout_add(kSettleMs, on_settled, &self);
    });
    return G_SOURCE_CONTINUE;
}

gboolean GtkPreview::on_settled(gpointer data) {
    last_guard([&] {
        auto& self = *static_cast<GtkPreview*>(data);
        self.settle_ = 0;
        self.reload();
    });
    return G_SOURCE_REMOVE;
}

// The folders the last load read from, and only those.
void GtkPreview::watch_files() {
    files_ = preview_.watched();
    std::map<int, std::set<std::string>> now;
    for (const WatchedFile& f : files_) {
        const int wd = inotify_add_watch(inotify_, f.folder.c_str(), kWatchMask);
        if (wd >= 0)
            now[wd].insert(f.folder); // one descriptor per folder, however it is named
        else if (errno != ENOENT)     // a folder that is not there yet holds nothing to load
            std::cerr << "tavik-check: cannot watch " << f.folder << ": " << std::strerror(errno)
                      << "\n";
    }
    for (const auto& [wd, folders] : watches_)
        if (now.count(wd) == 0)
            inotify_rm_watch(inotify_, wd);
    watches_ = std::move(now);
}

void GtkPreview::reload() {
    const auto old = preview_.reload();
    if (window_)
        window_->show_form(preview_.form());
    watch_files();
}

int GtkPreview::run() {
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0) {
        std::cerr << "tavik-check: cannot watch files: " << std::strerror(errno) << "\n";
        return 2;
    }
    platform_.set_scale(gtk_shell::opening_scale()); // the pictures of that scale
    reload(); // the first load, before the window is first shown, as in the menu
    window_ = std::make_unique<gtk_shell::MenuWindow>(platform_, preview_.form(),
                                                      gtk_shell::WindowKind::Preview, this);
    const std::string title = "Tavik preview: " + preview_.executable_folder();
    window_->set_title(title.c_str());
    g_unix_fd_add(inotify_, G_IO_IN, on_inotify, this);
    gtk_widget_show_all(window_->window());
    gtk_main();
    return 0;
}

} // namespace

int run_preview(const PreviewOptions& options) {
    g_set_prgname("tavik-check"); // the window class the desktop (and the tests) know it by
    // GTK 3 draws a window at whole scales only: 1.25 and 1.5 show as 2, as on a desktop whose
    // fractional scale GTK 3 draws at the next whole one for the compositor to shrink.
    if (options.scale_given)
        g_setenv("GDK_SCALE", std::to_string(static_cast<int>(std::ceil(options.scale))).c_str(),
                 TRUE);
    if (!gtk_init_check(nullptr, nullptr)) {
        std::cerr << "tavik-check: --preview needs a display\n";
        return 2;
    }
    // GTK set the user's locale (or --language's); the report's numbers stay "13.5".
    std::setlocale(LC_NUMERIC, "C");
    int code = 2;
    last_guard([&] {
        static GtkPreview preview(options); // the form must outlive every GTK callback
        code = preview.run();
    });
    return code;
}

} // namespace check
