// The Windows render: setup.exe's painter into a DIB section, inside the raised dialog frame
// the system gives its window, at the DPI of the scale; the PNG comes from WIC's encoder,
// created with CoCreateInstance so that no codec DLL is imported.
#include "tools/tavik_check/render.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include "app/win32/handles.h"
#include "app/win32/paint.h"
#include "app/win32/units.h"
#include "app/win32/wic.h"

namespace check {
namespace {

// The dialog frame of a WS_DLGFRAME window: 3 px on each side at 96 DPI.
constexpr int kFramePx = 3;

// The frame the system gives setup.exe's window (a WS_POPUP | WS_DLGFRAME tool window) at a
// DPI; looked up, as setup.exe does, since Windows 7 lacks the per-DPI function.
int frame_px(unsigned dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto adjust = reinterpret_cast<AdjustForDpiFn>(reinterpret_cast<void*>(
        user32 != nullptr ? GetProcAddress(user32, "AdjustWindowRectExForDpi") : nullptr));
    RECT r{0, 0, 100, 100};
    if (adjust == nullptr || !adjust(&r, WS_POPUP | WS_DLGFRAME, FALSE, WS_EX_TOOLWINDOW, dpi) ||
        r.left >= 0 || -r.left > 64)
        return kFramePx;
    return static_cast<int>(-r.left);
}

// Spelled out, as in app/win32/wic.h.
constexpr GUID kContainerFormatPng = {
    0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};

// Balances the COM initialisation of this call (the load may have made one already).
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

// 24-bit BGR rows, top-down, padded to four bytes: as the encoder takes them.
bool write_png(const std::wstring& path, const BYTE* bits, UINT width, UINT height, UINT stride) {
    const auto factory = win32_shell::wic_factory();
    win32_shell::ComPtr<IWICStream> stream;
    if (!factory || FAILED(factory->CreateStream(stream.out())))
        return false;
    win32_shell::ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(kContainerFormatPng, nullptr, encoder.out())))
        return false;
    win32_shell::ComPtr<IWICBitmapFrameEncode> frame;
    win32_shell::ComPtr<IPropertyBag2> options;
    if (FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.out(), options.out())))
        return false;
    WICPixelFormatGUID format = win32_shell::kPixelFormat24bppBGR;
    return SUCCEEDED(frame->Initialize(options.get())) &&
           SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, win32_shell::kPixelFormat24bppBGR) &&
           SUCCEEDED(
               frame->WritePixels(height, stride, stride * height, const_cast<BYTE*>(bits))) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

} // namespace

win32_shell::FontCache& render_fonts() {
    static win32_shell::FontCache fonts;
    return fonts;
}

bool render_png(const forms::Form& form, const std::string& path, double scale) {
    const std::wstring wide = win32_shell::to_wide(path);
    const unsigned dpi = win32_shell::dpi_for(scale);
    const int client_w = win32_shell::to_px(form.client_width(), dpi);
    const int client_h = win32_shell::to_px(form.client_height(), dpi);
    if (wide.empty() || client_w <= 0 || client_h <= 0)
        return false;
    const int frame_w = frame_px(dpi);
    const int width = client_w + 2 * frame_w, height = client_h + 2 * frame_w;
    ComScope com;

    void* bits = nullptr;
    win32_shell::Bitmap bitmap =
        win32_shell::dib_section(static_cast<UINT>(width), static_cast<UINT>(height), 24, bits);
    win32_shell::MemoryDc dc(nullptr);
    if (!bitmap || bits == nullptr || !dc)
        return false;
    {
        win32_shell::Selection selected(dc.get(), bitmap.get());
        RECT frame{0, 0, width, height};
        DrawEdge(dc.get(), &frame, EDGE_RAISED, BF_RECT | BF_ADJUST);
        for (int ring = 2; ring < frame_w; ++ring) { // the face colour inside the edge
            FrameRect(dc.get(), &frame, GetSysColorBrush(COLOR_BTNFACE));
            InflateRect(&frame, -1, -1);
        }

        SetViewportOrgEx(dc.get(), frame_w, frame_w, nullptr);
        IntersectClipRect(dc.get(), 0, 0, client_w, client_h);
        win32_shell::Painter painter(GetModuleHandleW(nullptr), render_fonts());
        painter.draw(dc.get(), form, dpi, SIZE{client_w, client_h});
        GdiFlush();
    }
    const UINT stride = (static_cast<UINT>(width) * 3 + 3) / 4 * 4;
    return write_png(wide, static_cast<const BYTE*>(bits), static_cast<UINT>(width),
                     static_cast<UINT>(height), stride);
}

} // namespace check
