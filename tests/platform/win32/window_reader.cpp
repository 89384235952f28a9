// SPDX-License-Identifier: MIT
// Reads the window tree of the desktop for the end-to-end test, from outside the program, as any
// other process sees it. Each line "dump" on stdin prints every visible top-level window and its
// descendants, then "END"; "quit" ends. Lines (fields split by tabs, texts escaped):
//   W <hwnd> <class> <left,top,right,bottom on the screen> <text>
//   C <hwnd> <parent> <class> <left,top,right,bottom in the top-level's client> <visible> <text>
// "acc <hwnd>" prints the children of the window's client object as a screen reader reads them,
// then "END"; "press <hwnd> <child id>" does a child's default action and prints "END <hresult>"
// ("hold <hwnd>" keeps the window's object, as a screen reader does, and "press held <child id>"
// presses through it, also after the window has gone):
//   A <child id> <role> <left,top,width,height on the screen> <name>
// "hit <hwnd> <x> <y>" prints what is at a screen point: "END <child id>", "END object" for a
// child window's own object, or "END none".
// "self <hwnd>" prints the window's client object itself: "END <role> <name> <description>
// <default action>", tab-separated.
// "clip <count> <text>" puts the text, \b and \t as in C, count times over on the clipboard.
// "watch <hwnd>" starts listening for the window's description changes; "heard" waits a moment
// and prints "END <descriptions heard since the last time, tab-separated>".
// "send <hwnd> <route> <count> [<text>]" gives an edit control the text (UTF-8, \b and \t as in
// C) count times over as another program can: "post" and "send" a WM_CHAR for each UTF-16 unit,
// "unichar" a WM_UNICHAR for each character, "replace" EM_REPLACESEL, "set" WM_SETTEXT, "value"
// a screen reader's put_accValue. It prints "END <last result> <milliseconds the sender waited>".
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <oleacc.h>
#include <string>

namespace {

std::string utf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The text through WM_GETTEXT, which also reaches into another process's edit controls.
std::string textOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return "<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return escaped(utf8(text));
}

std::string classOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return utf8(name);
}

std::string rectText(RECT r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

std::string handleText(HWND window) {
    return std::to_string(reinterpret_cast<UINT_PTR>(window));
}

BOOL CALLBACK printChild(HWND child, LPARAM topLevel) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(topLevel), reinterpret_cast<POINT*>(&r), 2);
    std::printf("C\t%s\t%s\t%s\t%s\t%d\t%s\n", handleText(child).c_str(),
                handleText(GetParent(child)).c_str(), classOf(child).c_str(), rectText(r).c_str(),
                IsWindowVisible(child) ? 1 : 0, textOf(child).c_str());
    return TRUE;
}

BOOL CALLBACK printTopLevel(HWND window, LPARAM) {
    if (!IsWindowVisible(window))
        return TRUE;
    RECT r;
    GetWindowRect(window, &r);
    std::printf("W\t%s\t%s\t%s\t%s\n", handleText(window).c_str(), classOf(window).c_str(),
                rectText(r).c_str(), textOf(window).c_str());
    EnumChildWindows(window, printChild, reinterpret_cast<LPARAM>(window));
    return TRUE;
}

IAccessible* clientObject(const char* handle) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(handle, nullptr, 10)));
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::string bstrText(BSTR text) {
    std::string out = text ? escaped(utf8(text)) : std::string();
    SysFreeString(text);
    return out;
}

void printAccessible(const char* handle) {
    if (IAccessible* object = clientObject(handle)) {
        long count = 0;
        object->get_accChildCount(&count);
        for (long id = 1; id <= count; ++id) {
            VARIANT child;
            child.vt = VT_I4;
            child.lVal = id;
            VARIANT role;
            VariantInit(&role);
            object->get_accRole(child, &role);
            long left = 0, top = 0, width = 0, height = 0;
            object->accLocation(&left, &top, &width, &height, child);
            BSTR name = nullptr;
            object->get_accName(child, &name);
            std::printf("A\t%ld\t%ld\t%ld,%ld,%ld,%ld\t%s\n", id, role.vt == VT_I4 ? role.lVal : -1,
                        left, top, width, height, bstrText(name).c_str());
            VariantClear(&role);
        }
        object->Release();
    }
    std::printf("END\n");
}

void press(IAccessible* object, long id) {
    HRESULT result = E_FAIL;
    if (object) {
        VARIANT child;
        child.vt = VT_I4;
        child.lVal = id;
        result = object->accDoDefaultAction(child);
    }
    std::printf("END %lx\n", static_cast<unsigned long>(result));
}

void press(const char* handle, long id) {
    IAccessible* object = clientObject(handle);
    press(object, id);
    if (object)
        object->Release();
}

void hitTest(const char* handle, long x, long y) {
    std::string answer = "none";
    if (IAccessible* object = clientObject(handle)) {
        VARIANT at;
        VariantInit(&at);
        if (object->accHitTest(x, y, &at) == S_OK)
            answer = at.vt == VT_I4 ? std::to_string(at.lVal) : "object";
        VariantClear(&at);
        object->Release();
    }
    std::printf("END %s\n", answer.c_str());
}

void printSelf(const char* handle) {
    std::string answer = "none";
    if (IAccessible* object = clientObject(handle)) {
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        VARIANT role;
        VariantInit(&role);
        object->get_accRole(self, &role);
        BSTR name = nullptr, description = nullptr, action = nullptr;
        object->get_accName(self, &name);
        object->get_accDescription(self, &description);
        object->get_accDefaultAction(self, &action);
        answer = std::to_string(role.vt == VT_I4 ? role.lVal : -1) + "\t" + bstrText(name) + "\t" +
                 bstrText(description) + "\t" + bstrText(action);
        VariantClear(&role);
        object->Release();
    }
    std::printf("END %s\n", answer.c_str());
}

void setClipboard(long count, const char* escapedText) {
    std::wstring piece;
    for (const char* c = escapedText; *c && *c != '\n'; ++c) {
        if (*c == '\\' && (c[1] == 'b' || c[1] == 't')) {
            piece += c[1] == 'b' ? L'\b' : L'\t';
            ++c;
        } else {
            piece += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        }
    }
    std::wstring text;
    for (long i = 0; i < count; ++i)
        text += piece;
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    bool done = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        done =
            OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    std::printf("END %d\n", done ? 1 : 0);
}

std::wstring wideOf(const char* escapedUtf8) {
    std::string bytes;
    for (const char* c = escapedUtf8; *c && *c != '\n'; ++c) {
        if (*c == '\\' && (c[1] == 'b' || c[1] == 't')) {
            bytes += c[1] == 'b' ? '\b' : '\t';
            ++c;
        } else {
            bytes += *c;
        }
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        size);
    return wide;
}

LRESULT sent(HWND window, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, 30000, &result);
    return static_cast<LRESULT>(result);
}

LRESULT putValue(HWND window, const std::wstring& text) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))))
        return E_FAIL;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR value = SysAllocString(text.c_str());
    const HRESULT result = object->put_accValue(self, value);
    SysFreeString(value);
    object->Release();
    return result;
}

LRESULT deliver(HWND window, const std::string& route, const std::wstring& text) {
    LRESULT result = 0;
    if (route == "post" || route == "send") {
        for (wchar_t unit : text)
            result = route == "post" ? PostMessageW(window, WM_CHAR, unit, 1)
                                     : sent(window, WM_CHAR, unit, 1);
    } else if (route == "unichar") {
        for (size_t i = 0; i < text.size(); ++i) {
            UINT code = text[i];
            if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size())
                code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
            result = sent(window, WM_UNICHAR, code, 0);
        }
    } else if (route == "replace") {
        result = sent(window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (route == "set") {
        result = sent(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (route == "value") {
        result = putValue(window, text);
    }
    return result;
}

void send(const char* handle, const char* route, long count, const char* escapedText) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(handle, nullptr, 10)));
    std::wstring text;
    for (long i = 0; i < count; ++i)
        text += wideOf(escapedText);
    const DWORD started = GetTickCount();
    const LRESULT result = deliver(window, route, text);
    std::printf("END %lld %lu\n", static_cast<long long>(result),
                static_cast<unsigned long>(GetTickCount() - started));
}

// The descriptions a screen reader would be told of, as they change. An event hook's procedure
// has no context of its own, so this is where it writes.
struct Listening {
    HWND window = nullptr;
    std::string heard;
};
Listening listening;

void CALLBACK onDescription(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
    if (window != listening.window || object != OBJID_CLIENT || child != CHILDID_SELF)
        return;
    IAccessible* accessible = nullptr;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))))
        return;
    BSTR description = nullptr;
    accessible->get_accDescription(self, &description);
    listening.heard += bstrText(description) + "\t";
    accessible->Release();
}

void heard() {
    const DWORD until = GetTickCount() + 500;
    MSG message;
    while (GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    std::printf("END %s\n", listening.heard.c_str());
    listening.heard.clear();
}

} // namespace

int main() {
    // Bytes as they are: no CR added before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char line[256];
    char handle[32];
    char text[200];
    char route[16];
    IAccessible* held = nullptr;
    long id = 0, x = 0, y = 0;
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::string(line).rfind("quit", 0) == 0)
            break;
        if (std::sscanf(line, "acc %31s", handle) == 1) {
            printAccessible(handle);
        } else if (std::sscanf(line, "hit %31s %ld %ld", handle, &x, &y) == 3) {
            hitTest(handle, x, y);
        } else if (std::sscanf(line, "hold %31s", handle) == 1) {
            if (held)
                held->Release();
            held = clientObject(handle);
            std::printf("END %d\n", held ? 1 : 0);
        } else if (std::sscanf(line, "press held %ld", &id) == 1) {
            press(held, id);
        } else if (std::sscanf(line, "press %31s %ld", handle, &id) == 2) {
            press(handle, id);
        } else if (std::sscanf(line, "self %31s", handle) == 1) {
            printSelf(handle);
        } else if (int end = 0;
                   std::sscanf(line, "send %31s %15s %ld%n", handle, route, &id, &end) == 3) {
            send(handle, route, id, line[end] == ' ' ? line + end + 1 : "");
        } else if (std::sscanf(line, "clip %ld %199[^\n]", &id, text) == 2) {
            setClipboard(id, text);
        } else if (std::sscanf(line, "watch %31s", handle) == 1) {
            listening.window =
                reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(handle, nullptr, 10)));
            SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
                            onDescription, 0, 0, WINEVENT_OUTOFCONTEXT);
            std::printf("END\n");
        } else if (std::string(line).rfind("heard", 0) == 0) {
            heard();
        } else {
            EnumWindows(printTopLevel, 0);
            std::printf("END\n");
        }
        std::fflush(stdout);
    }
    if (held)
        held->Release();
    CoUninitialize();
    return 0;
}
