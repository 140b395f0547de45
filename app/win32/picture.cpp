// Picture files through OLE, sized in the screen's pixels. No cut to the shown part: OLE keeps
// the picture in its own form and renders it scaled to the window's DPI.
#include "app/win32/picture.h"

#include <climits>
#include <vector>

#include "app/forms/picture_header.h"

namespace win32_shell {
namespace {

constexpr int kHimetricPerInch = 2540;
// Enough of a file to find a JPEG's size behind its metadata segments.
constexpr std::size_t kPictureHeadBytes = 256 * 1024;

std::wstring to_wide(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int n = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    if (wide <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), n, out.data(), wide);
    return out;
}

// Only a regular file whose header declares a sane size goes to the decoder: a folder, a device
// or a pipe named by the settings could block it, and a picture claiming gigapixels would take
// seconds and gigabytes to decode (real Windows decodes JPEG and GIF this way too).
bool acceptable_picture_file(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetFileType(file) == FILE_TYPE_DISK &&
              (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (ok) {
        std::vector<unsigned char> head(kPictureHeadBytes);
        DWORD read = 0;
        ok = ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr) != 0;
        head.resize(read);
        ok = ok && forms::picture_size_acceptable(forms::read_picture_header(head));
    }
    CloseHandle(file);
    return ok;
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

std::shared_ptr<const OlePicture> load_picture_file(const std::string& path) {
    const std::wstring wide = to_wide(path);
    if (wide.empty() || !acceptable_picture_file(wide))
        return nullptr;
    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicturePath(const_cast<LPOLESTR>(wide.c_str()), nullptr, 0, 0,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
    if (FAILED(hr) || picture == nullptr)
        return nullptr;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    HDC screen = GetDC(nullptr);
    const int width = himetric_to_px(w, GetDeviceCaps(screen, LOGPIXELSX));
    const int height = himetric_to_px(h, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return std::make_shared<OlePicture>(picture, width, height);
}

} // namespace win32_shell
