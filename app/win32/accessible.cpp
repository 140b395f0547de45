// IAccessible for the menu's client area. Children are simple elements (child ids 1..n, in the
// order of forms::accessible_elements); every answer reads the form as it is now, so boxes and
// the hot-tracked state follow the highlight. Calls arrive on the window's thread, from the
// message loop, one at a time.
#include "app/win32/accessible.h"

#include <oleacc.h>

#include <string>
#include <vector>

#include "app/forms/accessible.h"
#include "app/forms/last_guard.h"
#include "app/win32/platform.h"
#include "app/win32/text.h"
#include "app/win32/units.h"

namespace win32_shell {
namespace {

// Spelled out: mingw-w64's import library carries other bytes under this name.
constexpr IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The two oleacc functions the menu needs, from the system folder, loaded once and kept: the
// proxies a reader talks through live in that DLL.
struct Oleacc {
    decltype(&LresultFromObject) lresult_from_object = nullptr;
    decltype(&CreateStdAccessibleObject) create_std_accessible_object = nullptr;
};

const Oleacc& oleacc() {
    static const Oleacc functions = [] {
        Oleacc f;
        wchar_t path[MAX_PATH];
        const UINT n = GetSystemDirectoryW(path, MAX_PATH);
        const wchar_t name[] = L"\\oleacc.dll";
        if (n == 0 || n + sizeof name / sizeof *name > MAX_PATH)
            return f;
        std::wstring full(path, n);
        full += name;
        const HMODULE module = LoadLibraryW(full.c_str());
        if (module == nullptr)
            return f;
        f.lresult_from_object = reinterpret_cast<decltype(&LresultFromObject)>(
            reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
        f.create_std_accessible_object = reinterpret_cast<decltype(&CreateStdAccessibleObject)>(
            reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
        return f;
    }();
    return functions;
}

// A caption as the painter draws it.
BSTR to_bstr(std::string_view text) {
    const std::wstring wide = to_wide(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

void set_i4(VARIANT* v, LONG value) {
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = value;
}

// Runs a method's body so that nothing unwinds into the caller (COM or oleacc's C code).
template <class Body> HRESULT guarded(Body&& body) noexcept {
    HRESULT result = E_FAIL;
    forms::last_guard([&] { result = body(); });
    return result;
}

} // namespace

class ClientAccessible final : public IAccessible {
public:
    ClientAccessible(HWND window, forms::Form& form, const Win32Platform& platform)
        : window_(window), form_(&form), platform_(platform) {}

    void disconnect() { form_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: readers use the IAccessible methods directly; there is no type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr)
            return E_POINTER;
        *parent = nullptr;
        if (form_ == nullptr)
            return RPC_E_DISCONNECTED;
        const auto create = oleacc().create_std_accessible_object;
        if (create == nullptr)
            return S_FALSE;
        return create(window_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count == nullptr)
            return E_POINTER;
        return answer([&](const Elements& elements) {
            *count = static_cast<LONG>(elements.size());
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        return about(child, [](const Elements&, const forms::AccessibleElement* e) {
            return e != nullptr ? S_FALSE : E_INVALIDARG; // simple elements: no object of their own
        });
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (name == nullptr)
            return E_POINTER;
        *name = nullptr;
        return about(child, [&](const Elements&, const forms::AccessibleElement* e) {
            *name = to_bstr(e != nullptr ? e->label->caption() : forms::accessible_name(*form_));
            return *name != nullptr ? S_OK : E_OUTOFMEMORY;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return nothing(child, value, DISP_E_MEMBERNOTFOUND);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return nothing(child, text, S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return nothing(child, text, S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return nothing(child, text, S_FALSE); // the menu has no keys
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (topic != nullptr)
            *topic = 0;
        return nothing(child, file, S_FALSE);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (role == nullptr)
            return E_POINTER;
        VariantInit(role);
        return about(child, [&](const Elements&, const forms::AccessibleElement* e) {
            LONG r = ROLE_SYSTEM_CLIENT;
            if (e != nullptr)
                r = e->role == forms::AccessibleRole::MenuItem ? ROLE_SYSTEM_MENUITEM
                                                               : ROLE_SYSTEM_STATICTEXT;
            set_i4(role, r);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (state == nullptr)
            return E_POINTER;
        VariantInit(state);
        return about(child, [&](const Elements&, const forms::AccessibleElement* e) {
            LONG s = 0; // nothing is focusable: the menu is worked by the mouse
            if (e != nullptr && e->role == forms::AccessibleRole::StaticText)
                s = STATE_SYSTEM_READONLY;
            if (e != nullptr && e->hot)
                s |= STATE_SYSTEM_HOTTRACKED;
            set_i4(state, s);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return none_of(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return none_of(selection);
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (action == nullptr)
            return E_POINTER;
        *action = nullptr;
        return about(child, [&](const Elements&, const forms::AccessibleElement* e) {
            if (e == nullptr || !e->has_action())
                return DISP_E_MEMBERNOTFOUND;
            *action = to_bstr(forms::kActionName);
            return *action != nullptr ? S_OK : E_OUTOFMEMORY;
        });
    }

    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT child) override {
        return about(child, [](const Elements&, const forms::AccessibleElement*) {
            return DISP_E_MEMBERNOTFOUND; // neither focus nor selection
        });
    }

    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        return about(child, [&](const Elements&, const forms::AccessibleElement* e) {
            const unsigned dpi = platform_.dpi();
            RECT r{};
            if (e == nullptr) {
                if (!GetClientRect(window_, &r))
                    return E_FAIL;
            } else {
                r = RECT{to_px(e->box.left, dpi), to_px(e->box.top, dpi),
                         to_px(e->box.right(), dpi), to_px(e->box.bottom(), dpi)};
            }
            POINT corner{r.left, r.top};
            if (!ClientToScreen(window_, &corner))
                return E_FAIL;
            *left = corner.x;
            *top = corner.y;
            *width = r.right - r.left;
            *height = r.bottom - r.top;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr)
            return E_POINTER;
        VariantInit(end);
        return about(start, [&](const Elements& elements, const forms::AccessibleElement* e) {
            const LONG count = static_cast<LONG>(elements.size());
            LONG to = 0;
            if (e == nullptr) {
                if (direction == NAVDIR_FIRSTCHILD)
                    to = 1;
                else if (direction == NAVDIR_LASTCHILD)
                    to = count;
            } else {
                const LONG from = start.lVal; // a column: down is next, up is previous
                if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN)
                    to = from + 1;
                else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP)
                    to = from - 1;
            }
            if (to < 1 || to > count)
                return S_FALSE;
            set_i4(end, to);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* at) override {
        if (at == nullptr)
            return E_POINTER;
        VariantInit(at);
        return answer([&](const Elements& elements) {
            POINT p{x, y};
            RECT client{};
            if (!ScreenToClient(window_, &p) || !GetClientRect(window_, &client))
                return E_FAIL;
            if (!PtInRect(&client, p))
                return S_FALSE;
            // The point as a mouse move there reaches the form.
            const unsigned dpi = platform_.dpi();
            const forms::Point twips{to_twips(p.x, dpi), to_twips(p.y, dpi)};
            set_i4(at, forms::accessible_element_at(elements, twips) + 1); // 0: the client
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return about(child, [&](const Elements& elements, const forms::AccessibleElement* e) {
            if (e == nullptr || !e->has_action())
                return DISP_E_MEMBERNOTFOUND;
            const auto position = static_cast<WPARAM>(e - elements.data());
            return PostMessageW(window_, kAccessibleAction, position, 0) ? S_OK : E_FAIL;
        });
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    using Elements = std::vector<forms::AccessibleElement>;

    ~ClientAccessible() = default;

    template <class Body> HRESULT answer(Body&& body) {
        return guarded([&]() -> HRESULT {
            if (form_ == nullptr)
                return RPC_E_DISCONNECTED;
            const Elements elements = forms::accessible_elements(*form_);
            return body(elements);
        });
    }

    // Runs body with the element a child id names, nullptr for the client itself.
    template <class Body> HRESULT about(const VARIANT& child, Body&& body) {
        return answer([&](const Elements& elements) -> HRESULT {
            if (child.vt != VT_I4 || child.lVal < 0 ||
                child.lVal > static_cast<LONG>(elements.size()))
                return E_INVALIDARG;
            if (child.lVal == CHILDID_SELF)
                return body(elements, nullptr);
            return body(elements, &elements[static_cast<std::size_t>(child.lVal - 1)]);
        });
    }

    // A text property nothing here has.
    HRESULT nothing(const VARIANT& child, BSTR* out, HRESULT missing) {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        return about(child,
                     [&](const Elements&, const forms::AccessibleElement*) { return missing; });
    }

    // No focus and no selection anywhere in the menu.
    HRESULT none_of(VARIANT* out) {
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        return answer([](const Elements&) { return S_FALSE; });
    }

    ULONG references_ = 1;
    HWND window_;
    forms::Form* form_;
    const Win32Platform& platform_;
};

Accessibility::Accessibility(HWND window, forms::Form& form, const Win32Platform& platform)
    : window_(window), form_(form), platform_(platform) {}

Accessibility::~Accessibility() {
    if (client_ == nullptr)
        return;
    client_->disconnect();
    CoDisconnectObject(static_cast<IAccessible*>(client_), 0);
    client_->Release();
}

std::optional<LRESULT> Accessibility::get_object(WPARAM wparam, LPARAM lparam) {
    // The object id travels as a 32-bit value, whatever the width of LPARAM.
    if (static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT)
        return std::nullopt;
    const auto lresult_from_object = oleacc().lresult_from_object;
    if (lresult_from_object == nullptr)
        return std::nullopt;
    if (client_ == nullptr)
        client_ = new ClientAccessible(window_, form_, platform_);
    return lresult_from_object(kIidAccessible, wparam, static_cast<IAccessible*>(client_));
}

void Accessibility::highlight_moved(std::int16_t from, std::int16_t to) {
    const auto elements = forms::accessible_elements(form_);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const auto& e = elements[i];
        if (e.target == forms::Hit::Target::Array && (e.index == from || e.index == to))
            NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_, OBJID_CLIENT,
                           static_cast<LONG>(i + 1));
    }
}

void Accessibility::run_action(WPARAM element) {
    const auto elements = forms::accessible_elements(form_);
    if (element < elements.size())
        forms::do_accessible_action(form_, elements[element]);
}

} // namespace win32_shell
