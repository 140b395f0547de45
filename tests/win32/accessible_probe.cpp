// A screen reader's view of the running menu, through oleacc as readers get it: the client
// object of the window found by its class, from another process.
//   accessible_probe tree        JSON: the client's name, role, location, parent, and each
//                                child's name, role, state, default action and location, plus
//                                the child ids met walking first-child / next
//   accessible_probe hit X Y     the child id at a screen point ("none" outside the client)
//   accessible_probe do ID       accDoDefaultAction on a child; prints the HRESULT
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Spelled out: mingw-w64's import library carries other bytes under this name.
constexpr IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

VARIANT child_id(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A BSTR as a JSON string (UTF-8), or null; frees it.
std::string json(BSTR text) {
    if (text == nullptr)
        return "null";
    const int n = static_cast<int>(SysStringLen(text));
    std::string utf8(static_cast<std::size_t>(n) * 4, '\0');
    const int bytes = n == 0 ? 0
                             : WideCharToMultiByte(CP_UTF8, 0, text, n, utf8.data(),
                                                   static_cast<int>(utf8.size()), nullptr, nullptr);
    SysFreeString(text);
    utf8.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string location(IAccessible* acc, LONG id) {
    LONG x = 0, y = 0, w = 0, h = 0;
    if (FAILED(acc->accLocation(&x, &y, &w, &h, child_id(id))))
        return "null";
    return "[" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(w) + ", " +
           std::to_string(h) + "]";
}

std::string integer(HRESULT hr, const VARIANT& v) {
    return SUCCEEDED(hr) && v.vt == VT_I4 ? std::to_string(v.lVal) : "null";
}

// Child ids from the first child on, as a reader's "next" command walks them.
std::string walk(IAccessible* acc) {
    std::string ids = "[";
    VARIANT at;
    VariantInit(&at);
    HRESULT hr = acc->accNavigate(NAVDIR_FIRSTCHILD, child_id(CHILDID_SELF), &at);
    for (int guard = 0; hr == S_OK && at.vt == VT_I4 && guard < 100; ++guard) {
        ids += (ids.size() > 1 ? ", " : "") + std::to_string(at.lVal);
        const LONG from = at.lVal;
        VariantInit(&at);
        hr = acc->accNavigate(NAVDIR_NEXT, child_id(from), &at);
    }
    return ids + "]";
}

int tree(IAccessible* acc) {
    BSTR name = nullptr;
    VARIANT role;
    VariantInit(&role);
    LONG count = 0;
    IDispatch* parent = nullptr;
    acc->get_accName(child_id(CHILDID_SELF), &name);
    const HRESULT role_hr = acc->get_accRole(child_id(CHILDID_SELF), &role);
    acc->get_accChildCount(&count);
    const bool has_parent = SUCCEEDED(acc->get_accParent(&parent)) && parent != nullptr;
    if (parent != nullptr)
        parent->Release();
    std::printf("{\"name\": %s, \"role\": %s, \"location\": %s, \"parent\": %s, \"count\": %ld,\n"
                " \"walk\": %s, \"children\": [",
                json(name).c_str(), integer(role_hr, role).c_str(),
                location(acc, CHILDID_SELF).c_str(), has_parent ? "true" : "false",
                static_cast<long>(count), walk(acc).c_str());
    for (LONG id = 1; id <= count; ++id) {
        BSTR child_name = nullptr, action = nullptr;
        VARIANT child_role, state;
        VariantInit(&child_role);
        VariantInit(&state);
        IDispatch* object = nullptr;
        acc->get_accName(child_id(id), &child_name);
        const HRESULT r = acc->get_accRole(child_id(id), &child_role);
        const HRESULT s = acc->get_accState(child_id(id), &state);
        acc->get_accDefaultAction(child_id(id), &action);
        const HRESULT own = acc->get_accChild(child_id(id), &object);
        if (object != nullptr)
            object->Release();
        std::printf("%s\n  {\"id\": %ld, \"name\": %s, \"role\": %s, \"state\": %s, \"action\": "
                    "%s, \"location\": %s, \"simple\": %s}",
                    id > 1 ? "," : "", static_cast<long>(id), json(child_name).c_str(),
                    integer(r, child_role).c_str(), integer(s, state).c_str(), json(action).c_str(),
                    location(acc, id).c_str(), own == S_FALSE ? "true" : "false");
    }
    std::printf("]}\n");
    return 0;
}

int hit(IAccessible* acc, LONG x, LONG y) {
    VARIANT at;
    VariantInit(&at);
    const HRESULT hr = acc->accHitTest(x, y, &at);
    if (hr == S_OK && at.vt == VT_I4)
        std::printf("%ld\n", static_cast<long>(at.lVal));
    else
        std::printf("none\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string command = argv[1];
    HWND window = FindWindowW(L"TavikMenu", nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no menu window\n");
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* acc = nullptr;
    const HRESULT hr = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                  kIidAccessible, reinterpret_cast<void**>(&acc));
    if (FAILED(hr) || acc == nullptr) {
        std::fprintf(stderr, "AccessibleObjectFromWindow: %08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }
    int code = 2;
    if (command == "tree") {
        code = tree(acc);
    } else if (command == "hit" && argc == 4) {
        code = hit(acc, std::atol(argv[2]), std::atol(argv[3]));
    } else if (command == "do" && argc == 3) {
        std::printf("%08lx\n", static_cast<unsigned long>(
                                   acc->accDoDefaultAction(child_id(std::atol(argv[2])))));
        code = 0;
    }
    acc->Release();
    CoUninitialize();
    return code;
}
