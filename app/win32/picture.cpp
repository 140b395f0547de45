// Picture files through OLE, sized in the screen's pixels (OLE keeps the picture in its own
// form and renders it scaled to the window's DPI); what OLE cannot read, and the embedded
// background, through WIC, created with CoCreateInstance so that no codec DLL is imported.
#include "app/win32/picture.h"

#include <wincodec.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

#include "app/forms/picture_header.h"
#include "app/forms/picture_scale.h"
#include "app/win32/text.h"
#include "app/win32/units.h"
#include "app/win32/wic.h"

namespace win32_shell {
namespace {

constexpr int kHimetricPerInch = 2540;
// Enough of a file to find a JPEG's size behind its metadata segments.
constexpr std::size_t kPictureHeadBytes = 256 * 1024;

// Only a regular file whose header declares a sane size goes to the decoder: a folder, a device
// or a pipe named by the settings could block it, and a picture claiming gigapixels would take
// seconds and gigabytes to decode (real Windows decodes JPEG and GIF this way too).
// The header of an acceptable file; nullopt for anything else.
std::optional<forms::PictureHeader> acceptable_picture_file(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<forms::PictureHeader> header;
    if (GetFileType(file) == FILE_TYPE_DISK &&
        (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        std::vector<unsigned char> head(kPictureHeadBytes);
        DWORD read = 0;
        const bool ok =
            ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr) != 0;
        head.resize(read);
        const forms::PictureHeader h = forms::read_picture_header(head);
        if (ok && forms::picture_size_acceptable(h))
            header = h;
    }
    CloseHandle(file);
    return header;
}

// Spelled out: the import libraries' copies of these are not to be relied on.
constexpr GUID kPixelFormat32bppPBGRA = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};

constexpr CLSID kClsidWicPngDecoder = {
    0x389ea17b, 0x5078, 0x4cde, {0xb6, 0xef, 0x25, 0xc1, 0x51, 0x75, 0xc7, 0x51}};
constexpr IID kIidWicBitmapDecoder = {
    0x9edde9e7, 0x8dee, 0x47ea, {0x99, 0xdf, 0xe6, 0xfa, 0xf2, 0xed, 0x44, 0xbf}};

// The first frame of a decoder, as a premultiplied 32-bit top-down DIB section.
std::unique_ptr<const BitmapPicture> to_bitmap(IWICImagingFactory* factory,
                                               IWICBitmapDecoder* decoder, int density) {
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(decoder->GetFrame(0, frame.out())) || FAILED(frame->GetSize(&width, &height)) ||
        !forms::picture_size_within_limits(width, height) ||
        FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(frame.get(), kPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return nullptr;
    void* bits = nullptr;
    Bitmap bitmap = dib_section(width, height, 32, bits);
    const UINT stride = width * 4;
    if (!bitmap || bits == nullptr ||
        FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return nullptr;
    bool opaque = true;
    const auto* pixels = static_cast<const BYTE*>(bits);
    for (std::size_t i = 3; opaque && i < std::size_t{stride} * height; i += 4)
        opaque = pixels[i] == 255;
    return std::make_unique<const BitmapPicture>(bitmap.release(), static_cast<int>(width),
                                                 static_cast<int>(height), opaque, density);
}

// The embedded background's fast path, on the way to the first frame: its known format (an
// opaque 24-bit PNG) straight from the PNG decoder into a DIB, without the imaging factory.
std::unique_ptr<const BitmapPicture> decode_opaque_png(const void* bytes, std::size_t size,
                                                       int density) {
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ULONG written = 0;
    if (size > ULONG_MAX || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out())) ||
        FAILED(stream->Write(bytes, static_cast<ULONG>(size), &written)) || written != size ||
        FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr)) ||
        FAILED(CoCreateInstance(kClsidWicPngDecoder, nullptr, CLSCTX_INPROC_SERVER,
                                kIidWicBitmapDecoder, reinterpret_cast<void**>(decoder.out()))) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder->GetFrame(0, frame.out())))
        return nullptr;
    UINT width = 0, height = 0;
    WICPixelFormatGUID format{};
    if (FAILED(frame->GetSize(&width, &height)) || FAILED(frame->GetPixelFormat(&format)) ||
        !IsEqualGUID(format, kPixelFormat24bppBGR) ||
        !forms::picture_size_within_limits(width, height))
        return nullptr;
    void* bits = nullptr;
    Bitmap bitmap = dib_section(width, height, 24, bits);
    const UINT stride = (width * 3 + 3) / 4 * 4; // DIB rows are padded to four bytes
    if (!bitmap || bits == nullptr ||
        FAILED(frame->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return nullptr;
    return std::make_unique<const BitmapPicture>(bitmap.release(), static_cast<int>(width),
                                                 static_cast<int>(height), true, density);
}

std::shared_ptr<const forms::Picture> load_with_wic(const std::wstring& path, int density) {
    const auto factory = wic_factory();
    ComPtr<IWICBitmapDecoder> decoder;
    if (!factory ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.out())))
        return nullptr;
    return to_bitmap(factory.get(), decoder.get(), density);
}

// OLE reports sizes in HIMETRIC, derived from the screen's pixel density: convert back with it.
int himetric_to_px(long himetric, int logpixels) {
    return MulDiv(static_cast<int>(himetric), logpixels, kHimetricPerInch);
}

} // namespace

void OlePicture::render(HDC dc, int x, int y, int width, int height) const {
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Width(&w);
    picture_->get_Height(&h);
    // Source rectangles run bottom-up in HIMETRIC.
    picture_->Render(dc, x, y, width, height, 0, h, w, -h, nullptr);
}

int shown_px(int picture_px, int density, unsigned dpi) {
    return static_cast<int>(std::lround(static_cast<double>(picture_px) * dpi /
                                        (static_cast<double>(kBaseDpi) * std::max(density, 1))));
}

void BitmapPicture::draw(HDC dc, unsigned dpi) const {
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr)
        return;
    const HGDIOBJ old = SelectObject(source, bitmap_.get());
    const int w = shown_px(width_, density(), dpi), h = shown_px(height_, density(), dpi);
    if (!opaque_) {
        // gdi32's own blend: premultiplied pixels over what is drawn already (the back colour).
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, 0, 0, w, h, source, 0, 0, width_, height_, blend);
    } else if (w == width_ && h == height_) {
        BitBlt(dc, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, w, h, source, 0, 0, width_, height_, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

std::unique_ptr<const BitmapPicture> decode_picture_bytes(const void* bytes, std::size_t size,
                                                          int density) {
    if (auto fast = decode_opaque_png(bytes, size, density))
        return fast;
    const auto factory = wic_factory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    if (!factory || size > UINT_MAX || FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)),
                                            static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.out())))
        return nullptr;
    return to_bitmap(factory.get(), decoder.get(), density);
}

namespace {

// Decodes one acceptable file; a rendition (density above 1) must be that many times `base`,
// by the size its header declares and the size it decodes to.
std::shared_ptr<const forms::Picture> decode_file(const std::wstring& wide, int density,
                                                  const forms::PictureHeader& base) {
    const auto header = acceptable_picture_file(wide);
    if (!header || (density > 1 && (header->kind == forms::PictureKind::Unknown ||
                                    !forms::rendition_fits(header->width, header->height,
                                                           base.width, base.height, density))))
        return nullptr;
    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicturePath(const_cast<LPOLESTR>(wide.c_str()), nullptr, 0, 0,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
    if (FAILED(hr) || picture == nullptr) {
        auto decoded = load_with_wic(wide, density); // PNG, TIFF: formats OLE does not read
        if (decoded && density > 1 &&
            !forms::rendition_fits(decoded->width_px(), decoded->height_px(), base.width,
                                   base.height, density))
            return nullptr;
        return decoded;
    }
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    HDC screen = GetDC(nullptr);
    const int width = himetric_to_px(w, GetDeviceCaps(screen, LOGPIXELSX));
    const int height = himetric_to_px(h, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return std::make_shared<OlePicture>(picture, width, height, density);
}

} // namespace

std::shared_ptr<const forms::Picture> load_picture_file(const std::string& path, unsigned dpi) {
    const std::wstring wide = to_wide(path);
    if (wide.empty())
        return nullptr;
    if (dpi > kBaseDpi) {
        // A rendition counts against the 1x picture's declared size: at 96 DPI nothing but the
        // named file is opened, above it the 1x file is never decoded.
        const auto base = acceptable_picture_file(wide);
        if (base && base->kind != forms::PictureKind::Unknown)
            for (const forms::Rendition& r : forms::larger_renditions(path, scale_of(dpi))) {
                const std::wstring candidate = to_wide(r.path);
                if (auto picture =
                        candidate.empty() ? nullptr : decode_file(candidate, r.density, *base))
                    return picture;
            }
    }
    return decode_file(wide, 1, {});
}

} // namespace win32_shell
