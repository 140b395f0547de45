// Picture files through gdk-pixbuf, kept as cairo surfaces, and the embedded background
// bitmap decoded by hand. Every kind gdk-pixbuf has a loader for is shown, more than on Win32.
#include "app/gtk/picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/forms/picture_scale.h"
#include "assets/embedded_assets.h"
#include "settings/path_case.h"

namespace gtk_shell {
namespace {

// Enough of a file to find a JPEG's size behind its metadata segments.
constexpr std::size_t kPictureHeadBytes = 256 * 1024;

// The first bytes of a regular file we may read; stat first, so a FIFO or device is never
// opened. nullopt when it is no such file.
std::optional<std::vector<unsigned char>> file_head(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::vector<unsigned char> head(kPictureHeadBytes);
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, head.size() - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    head.resize(got);
    return head;
}

// The top-left w x h pixels of a pixbuf as a cairo image surface (alpha premultiplied). Needs no
// display, so the embedded background can be made before GTK has one.
cairo_surface_t* surface_from_pixbuf(GdkPixbuf* pixbuf, int w, int h) {
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    cairo_surface_t* surface =
        cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || channels < 3)
        return surface;
    cairo_surface_flush(surface);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    const auto src_stride = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf));
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const auto dst_stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    for (std::size_t y = 0; y < static_cast<std::size_t>(h); ++y) {
        const guchar* in = src + y * src_stride;
        auto* out = reinterpret_cast<std::uint32_t*>(dst + y * dst_stride);
        for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x, in += channels) {
            const std::uint32_t a = alpha ? in[3] : 255;
            auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            out[x] = (a << 24) | (premultiply(in[0]) << 16) | (premultiply(in[1]) << 8) |
                     premultiply(in[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace

PixbufPicture::PixbufPicture(const GObjectPtr<GdkPixbuf>& pixbuf, int density)
    : forms::Picture(density), width_(gdk_pixbuf_get_width(pixbuf.get())),
      height_(gdk_pixbuf_get_height(pixbuf.get())),
      surface_(surface_from_pixbuf(pixbuf.get(), std::min(width_, kMaxShownSide * density),
                                   std::min(height_, kMaxShownSide * density))) {
    // Drawn in window pixels: `density` of its pixels to each of them.
    cairo_surface_set_device_scale(surface_.get(), density, density);
}

PixbufPicture::PixbufPicture(cairo_surface_t* surface)
    : width_(cairo_image_surface_get_width(surface)),
      height_(cairo_image_surface_get_height(surface)), surface_(surface) {}

namespace {

struct PixelCount {
    int width = 0;
    int height = 0;
};

// The size of a file fit to decode: a regular file whose header declares a sane size and that
// a loader knows. Reads the head and asks the loader for the size; decodes nothing.
std::optional<PixelCount> decodable_size(const std::string& unix_path) {
    const auto head = file_head(unix_path);
    if (!head)
        return std::nullopt;
    const forms::PictureHeader header = forms::read_picture_header(*head);
    if (!forms::picture_size_acceptable(header))
        return std::nullopt;
    PixelCount size;
    if (gdk_pixbuf_get_file_info(unix_path.c_str(), &size.width, &size.height) == nullptr)
        return std::nullopt; // no loader knows it
    if (header.kind == forms::PictureKind::Unknown &&
        !forms::picture_size_within_limits(size.width, size.height))
        return std::nullopt;
    return size;
}

// Decodes a file at a density; a rendition (density above 1) must be that many times `base`.
std::shared_ptr<const PixbufPicture> decode_file(const std::string& unix_path, int density,
                                                 PixelCount base) {
    // Only a regular file whose header declares a sane size goes to the decoder, as on Win32.
    const auto size = decodable_size(unix_path);
    if (!size || (density > 1 && !forms::rendition_fits(size->width, size->height, base.width,
                                                        base.height, density)))
        return nullptr;
    GError* error = nullptr;
    GObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new_from_file(unix_path.c_str(), &error));
    if (error != nullptr)
        g_error_free(error);
    // The same limits on what was decoded: a decoder need not make what the header declared;
    // gdk-pixbuf also decodes kinds the header reader does not know (SVG, XPM, TIFF, ...).
    if (!pixbuf || !forms::picture_size_within_limits(gdk_pixbuf_get_width(pixbuf.get()),
                                                      gdk_pixbuf_get_height(pixbuf.get())))
        return nullptr;
    if (density > 1 && !forms::rendition_fits(gdk_pixbuf_get_width(pixbuf.get()),
                                              gdk_pixbuf_get_height(pixbuf.get()), base.width,
                                              base.height, density))
        return nullptr;
    return std::make_shared<const PixbufPicture>(pixbuf, density);
}

} // namespace

std::shared_ptr<const PixbufPicture> load_picture_file(const std::string& path, double scale) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return nullptr;
    std::string unix_path = path;
    std::replace(unix_path.begin(), unix_path.end(), '\\', '/');
    const std::string resolved = settings::resolve_case_insensitive(unix_path);
    if (scale > 1.0) {
        // A rendition counts against the 1x picture's size, read from its header: at 100 %
        // nothing but the named file is opened, above it the 1x file is never decoded.
        if (const auto base = decodable_size(resolved))
            for (const forms::Rendition& r : forms::larger_renditions(unix_path, scale))
                if (auto picture =
                        decode_file(settings::resolve_case_insensitive(r.path), r.density, *base))
                    return picture;
    }
    return decode_file(resolved, 1, {});
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

namespace {

std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The embedded background is an uncompressed bottom-up 24-bit bitmap: its rows copied straight
// into the surface the painter draws, with no gdk-pixbuf module or pixbuf on the way.
cairo_surface_t* decode_embedded_bmp(std::span<const unsigned char> bytes) {
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return nullptr;
    const std::uint32_t offset = le32(&bytes[10]);
    const auto width = static_cast<std::int32_t>(le32(&bytes[18]));
    const auto height = static_cast<std::int32_t>(le32(&bytes[22]));
    const unsigned bpp = bytes[28] | (static_cast<unsigned>(bytes[29]) << 8);
    if (width <= 0 || height <= 0 || width > kMaxShownSide || height > kMaxShownSide || bpp != 24 ||
        le32(&bytes[30]) != 0)
        return nullptr;
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    const std::size_t row = (w * 3 + 3) / 4 * 4;
    if (offset > bytes.size() || (bytes.size() - offset) / row < h)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    for (std::size_t y = 0; y < h; ++y) {
        const unsigned char* src = &bytes[offset + (h - 1 - y) * row];
        auto* dst = reinterpret_cast<std::uint32_t*>(pixels + y * stride);
        for (std::size_t x = 0; x < w; ++x, src += 3) // blue, green, red -> 0x00RRGGBB
            dst[x] = static_cast<std::uint32_t>(src[0]) |
                     (static_cast<std::uint32_t>(src[1]) << 8) |
                     (static_cast<std::uint32_t>(src[2]) << 16);
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace

const PixbufPicture* designed_background(int density) {
    if (density > 1) {
        // Decoded on a scaled screen only, and then once.
        static const std::unique_ptr<const PixbufPicture> twice = [] {
            const auto pixbuf = decode_image(assets::background_2x_png(), "png");
            return pixbuf ? std::make_unique<const PixbufPicture>(pixbuf, 2) : nullptr;
        }();
        if (twice)
            return twice.get();
    }
    static const std::unique_ptr<const PixbufPicture> picture = [] {
        cairo_surface_t* surface = decode_embedded_bmp(assets::background_bmp());
        return surface != nullptr ? std::make_unique<const PixbufPicture>(surface) : nullptr;
    }();
    return picture.get();
}

} // namespace gtk_shell
