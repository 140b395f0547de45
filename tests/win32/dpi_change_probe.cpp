// WM_DPICHANGED's work on the menu, driven from inside: the real load on the disc folder this
// probe runs from (with its pic.png and pic@2x.png), at one DPI, then follow_dpi to another,
// against a form loaded at the other DPI from the start. Label boxes (which hit-testing, the
// cursor and screen readers read), the picture's rendition and the hand cursor's size must be
// those of the fresh form. Prints one line per check; exit status 1 on any failure.
#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <vector>

#include "app/win32/platform.h"
#include "app/win32/text.h"
#include "app/win32/units.h"
#include "menu/frm_tavik_main.h"

namespace {

// What a DPI decides: every label's box (twips), and the picture's rendition.
struct Look {
    std::vector<float> boxes;
    int density = 0;
    int picture_px = 0;
    bool operator==(const Look&) const = default;
};

Look look_of(const menu::frmTavikMain& form) {
    Look look;
    for (const forms::StackedLabel& layer : form.stacking()) {
        const forms::Rect& b = layer.label->box();
        look.boxes.insert(look.boxes.end(), {b.left, b.top, b.width, b.height});
    }
    if (form.picture()) {
        look.density = form.picture()->density();
        look.picture_px = form.picture()->width_px();
    }
    return look;
}

long cursor_width(HCURSOR cursor) {
    ICONINFO icon{};
    BITMAP mask{};
    if (cursor == nullptr || !GetIconInfo(cursor, &icon))
        return 0;
    GetObjectW(icon.hbmMask, sizeof mask, &mask);
    DeleteObject(icon.hbmMask);
    if (icon.hbmColor != nullptr)
        DeleteObject(icon.hbmColor);
    return mask.bmWidth;
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    int failures = 0;
    const unsigned moves[][2] = {{96, 192}, {192, 144}, {144, 96}, {96, 120}};
    for (const auto& [from, to] : moves) {
        win32_shell::FontCache fresh_fonts, moved_fonts;
        win32_shell::Win32Platform fresh_platform(instance, fresh_fonts, to);
        menu::frmTavikMain fresh(fresh_platform);
        fresh.Form_Load();
        win32_shell::Win32Platform moved_platform(instance, moved_fonts, from);
        menu::frmTavikMain moved(moved_platform);
        moved.Form_Load();
        const Look before = look_of(moved);
        win32_shell::follow_dpi(moved_platform, moved, to);
        const Look after = look_of(moved), want = look_of(fresh);
        const long hand = cursor_width(moved_platform.cursor(forms::Cursor::Hand));
        const bool ok = after == want && !(before == want) &&
                        hand == win32_shell::scale_px(32, to) && moved_platform.dpi() == to;
        failures += ok ? 0 : 1;
        std::printf("%s %u -> %u dpi: boxes, picture (density %d, %d px) and hand (%ld px) as "
                    "a start at %u dpi\n",
                    ok ? "ok  " : "FAIL", from, to, after.density, after.picture_px, hand, to);
    }
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
