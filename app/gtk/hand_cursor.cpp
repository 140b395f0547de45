#include "app/gtk/hand_cursor.h"

#include "app/gtk/embedded_assets.h"
#include "app/gtk/pixbuf_picture.h"

namespace gtk_shell {

GObjectPtr<GdkCursor> make_hand_cursor(GdkDisplay* display) {
    // gdk-pixbuf's ico loader reads cursor files too.
    const auto image = decode_image(hand_cur(), "ico");
    if (image)
        return GObjectPtr<GdkCursor>(
            gdk_cursor_new_from_pixbuf(display, image.get(), kHandHotX, kHandHotY));
    return GObjectPtr<GdkCursor>(gdk_cursor_new_for_display(display, GDK_HAND2));
}

} // namespace gtk_shell
