#include "app/gtk/pixbuf_picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "app/gtk/embedded_assets.h"
#include "settings/path_case.h"

namespace gtk_shell {
namespace {

// A regular file we may read; stat first, so a FIFO or device is never opened.
bool readable_file(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

std::shared_ptr<const PixbufPicture> load_picture_file(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return nullptr;
    std::string unix_path = path;
    std::replace(unix_path.begin(), unix_path.end(), '\\', '/');
    unix_path = settings::resolve_case_insensitive(unix_path);
    if (!readable_file(unix_path))
        return nullptr;
    int width = 0, height = 0;
    if (gdk_pixbuf_get_file_info(unix_path.c_str(), &width, &height) == nullptr || width <= 0 ||
        height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return nullptr;
    GError* error = nullptr;
    GObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new_from_file(unix_path.c_str(), &error));
    if (error != nullptr)
        g_error_free(error);
    if (!pixbuf || gdk_pixbuf_get_width(pixbuf.get()) > kMaxPictureSide ||
        gdk_pixbuf_get_height(pixbuf.get()) > kMaxPictureSide)
        return nullptr;
    return std::make_shared<const PixbufPicture>(std::move(pixbuf));
}

GObjectPtr<GdkPixbuf> decode_image(std::span<const unsigned char> bytes, const char* type) {
    GError* error = nullptr;
    GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new_with_type(type, &error));
    if (!loader) {
        if (error != nullptr)
            g_error_free(error);
        return nullptr;
    }
    const bool written = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
    if (error != nullptr) {
        g_error_free(error);
        error = nullptr;
    }
    const bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
    if (error != nullptr)
        g_error_free(error);
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (!written || !closed || pixbuf == nullptr)
        return nullptr;
    return GObjectPtr<GdkPixbuf>(GDK_PIXBUF(g_object_ref(pixbuf)));
}

const PixbufPicture* designed_background() {
    static const std::unique_ptr<const PixbufPicture> picture = [] {
        auto pixbuf = decode_image(background_bmp(), "bmp");
        return pixbuf ? std::make_unique<const PixbufPicture>(std::move(pixbuf)) : nullptr;
    }();
    return picture.get();
}

} // namespace gtk_shell
