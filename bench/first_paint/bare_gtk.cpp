// The yardstick for the Linux menu's start-up: a GTK 3 window built like the menu's (borderless,
// centred, 3 px border around a 497x374 drawing area) whose draw handler fills one colour.
// Optional extras, to tell where the menu's own start-up time goes:
//   --text          a line of text measured before the window shows and drawn (pango start)
//   --picture FILE  a picture decoded before the window shows and drawn under the colour
#include <gtk/gtk.h>
#include <pango/pangocairo.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kFramePx = 3;
constexpr int kClientWidth = 497;
constexpr int kClientHeight = 374;

struct Colour {
    double red, green, blue;
};

struct Scene {
    Colour colour{};
    PangoLayout* text = nullptr;
    GdkPixbuf* picture = nullptr;
};

// As the menu measures its labels: a context of the default font map at 96 DPI.
PangoLayout* measured_text() {
    PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    pango_cairo_context_set_resolution(context, 96.0);
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans Bold 14");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, "Tavik Sample Disc", -1);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(context);
    return layout;
}

GdkPixbuf* decoded_picture(const char* path) {
    gchar* bytes = nullptr;
    gsize size = 0;
    if (!g_file_get_contents(path, &bytes, &size, nullptr))
        return nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("bmp", nullptr);
    GdkPixbuf* pixbuf = nullptr;
    if (loader != nullptr &&
        gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes), size, nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr)) {
        pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
        if (pixbuf != nullptr)
            g_object_ref(pixbuf);
    }
    if (loader != nullptr)
        g_object_unref(loader);
    g_free(bytes);
    return pixbuf;
}

Colour colour_of(const char* hex) {
    const unsigned long rgb = std::strtoul(hex, nullptr, 16);
    return {static_cast<double>((rgb >> 16) & 0xff) / 255.0,
            static_cast<double>((rgb >> 8) & 0xff) / 255.0,
            static_cast<double>(rgb & 0xff) / 255.0};
}

gboolean on_draw(GtkWidget*, cairo_t* cr, gpointer data) {
    const Scene* scene = static_cast<const Scene*>(data);
    if (scene->picture != nullptr) {
        gdk_cairo_set_source_pixbuf(cr, scene->picture, 0, 0);
        cairo_paint(cr);
    }
    // Where the picture is drawn, the colour covers only the far side, where the probe looks.
    const Colour& c = scene->colour;
    cairo_set_source_rgb(cr, c.red, c.green, c.blue);
    if (scene->picture != nullptr)
        cairo_rectangle(cr, 300, 0, 197, 374);
    else
        cairo_rectangle(cr, 0, 0, 497, 374);
    cairo_fill(cr);
    if (scene->text != nullptr) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, 10, 10);
        pango_cairo_show_layout(cr, scene->text);
    }
    return TRUE;
}

} // namespace

int main(int argc, char** argv) {
    g_set_prgname("bare_gtk");
    if (!gtk_init_check(&argc, &argv))
        return 1;
    static Scene scene;
    scene.colour = colour_of(argc > 1 ? argv[1] : "D6E6F6");
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--text") == 0)
            scene.text = measured_text();
        else if (std::strcmp(argv[i], "--picture") == 0 && i + 1 < argc)
            scene.picture = decoded_picture(argv[++i]);
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* w = GTK_WINDOW(window);
    gtk_window_set_title(w, "");
    gtk_window_set_decorated(w, FALSE);
    gtk_window_set_resizable(w, FALSE);
    gtk_window_set_position(w, GTK_WIN_POS_CENTER);
    gtk_container_set_border_width(GTK_CONTAINER(window), kFramePx);

    GtkWidget* client = gtk_drawing_area_new();
    gtk_widget_set_size_request(client, kClientWidth, kClientHeight);
    gtk_container_add(GTK_CONTAINER(window), client);
    g_signal_connect(client, "draw", G_CALLBACK(on_draw), &scene);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
