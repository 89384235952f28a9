// SPDX-License-Identifier: MIT
// Another program on the Windows desktop, for the end-to-end test and the benchmarks under Wine:
// it reads the window tree, acts as a screen reader and as another program that sends text, sets
// the clipboard and asks a window whether it answers. Its Wine process also keeps the session's
// Wine server running between the programs it watches. One command a line on stdin (texts as
// UTF-8 to the end of the line); every answer ends with a line "END [answer]", after any rows
// (fields split by tabs, texts with backslash, tab, LF and CR escaped):
//   dump                      every visible top-level window and its descendants:
//                               W <hwnd> <class> <left,top,right,bottom on the screen> <text>
//                               C <hwnd> <parent> <class> <rect in the top-level's client>
//                                 <visible> <text>
//   find                      "W <window> <input> <left,top,right,bottom>" or "NONE": the
//                             visible top-level window with an edit where the input box goes
//   acc <hwnd>                the children of the window's client object as a screen reader
//                             reads them: A <child id> <role> <left,top,width,height> <name>
//   hit <hwnd> <x> <y>        what is at a screen point: a child id, "object" for a child
//                             window's own object, or "none"
//   self <hwnd>               the client object itself: <role> <name> <description> <action>
//   press <hwnd> <child id>   a child's default action: its HRESULT in hex
//   hold <hwnd>               keeps the window's object, as a screen reader does: 1 or 0
//   press held <child id>     presses through the held object, also after its window has gone
//   watch <hwnd>              listens for the window's description changes
//   heard                     waits a moment: the descriptions heard since the last time
//   clip <length> <text>      <length> UTF-16 units of the text over and over on the clipboard:
//                             1 or 0
//   send <hwnd> <route> <count> [<text>]
//                             gives an edit the text count times over as another program can:
//                             "post" and "send" a WM_CHAR for each UTF-16 unit, "unichar" a
//                             WM_UNICHAR for each character, "replace" EM_REPLACESEL, "set"
//                             WM_SETTEXT, "value" put_accValue: <last result> <ms waited>
//   await <window> <input> <length> <ms>
//                             "ANSWER <length> <boxes>" as soon as the input answers with a
//                             length other than <length> or the window's process shows a message
//                             box; "TIMEOUT" when it has not answered by then
//   boxes <window>            visible message boxes of the window's process
//   quit
#include "design/layout.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <oleacc.h>
#include <string>
#include <string_view>
#include <utility>

namespace {

// What the commands keep between lines.
struct Session {
    IAccessible* held = nullptr;
    HWND watched = nullptr;
    std::string heard;
};

// A heard description change, posted to the probe's own thread: the hook's procedure has no
// context of its own.
constexpr UINT descriptionChanged = WM_APP;

std::string utf8(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring wide(std::string_view bytes) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
    return out;
}

std::string escaped(std::wstring_view text) {
    std::string out;
    for (char c : utf8(text)) {
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

std::string bstrText(BSTR text) {
    std::string out = text ? escaped(text) : std::string();
    SysFreeString(text);
    return out;
}

HWND handleFrom(const char* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 10)));
}

std::string handleText(HWND window) {
    return std::to_string(reinterpret_cast<UINT_PTR>(window));
}

std::string rectText(RECT r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
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
    return escaped(text);
}

std::wstring classOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

BOOL CALLBACK printChild(HWND child, LPARAM topLevel) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(topLevel), reinterpret_cast<POINT*>(&r), 2);
    std::printf("C\t%s\t%s\t%s\t%s\t%d\t%s\n", handleText(child).c_str(),
                handleText(GetParent(child)).c_str(), utf8(classOf(child)).c_str(),
                rectText(r).c_str(), IsWindowVisible(child) ? 1 : 0, textOf(child).c_str());
    return TRUE;
}

BOOL CALLBACK printTopLevel(HWND window, LPARAM) {
    if (!IsWindowVisible(window))
        return TRUE;
    RECT r;
    GetWindowRect(window, &r);
    std::printf("W\t%s\t%s\t%s\t%s\n", handleText(window).c_str(), utf8(classOf(window)).c_str(),
                rectText(r).c_str(), textOf(window).c_str());
    EnumChildWindows(window, printChild, reinterpret_cast<LPARAM>(window));
    return TRUE;
}

std::string dump(Session&, const char*) {
    EnumWindows(printTopLevel, 0);
    return {};
}

struct InputSearch {
    HWND parent = nullptr;
    POINT at{};
    HWND found = nullptr;
};

BOOL CALLBACK findInput(HWND child, LPARAM l) {
    auto* search = reinterpret_cast<InputSearch*>(l);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, search->parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.left != search->at.x || r.top != search->at.y ||
        lstrcmpiW(classOf(child).c_str(), L"Edit") != 0)
        return TRUE;
    search->found = child;
    return FALSE;
}

BOOL CALLBACK findWindow(HWND window, LPARAM l) {
    if (!IsWindowVisible(window))
        return TRUE;
    const design::Placement* input = design::findPlacement("Text1");
    InputSearch search{window, {design::toPixels(input->left), design::toPixels(input->top)}};
    EnumChildWindows(window, findInput, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return TRUE;
    *reinterpret_cast<InputSearch*>(l) = search;
    return FALSE;
}

std::string find(Session&, const char*) {
    InputSearch search;
    EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return "NONE";
    RECT r;
    GetWindowRect(search.found, &r);
    return "W " + handleText(search.parent) + " " + handleText(search.found) + " " + rectText(r);
}

IAccessible* clientObject(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

VARIANT childId(long id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

long roleOf(IAccessible* object, long id) {
    VARIANT role;
    VariantInit(&role);
    object->get_accRole(childId(id), &role);
    const long value = role.vt == VT_I4 ? role.lVal : -1;
    VariantClear(&role);
    return value;
}

void printAccessibleChild(IAccessible* object, long id) {
    long left = 0, top = 0, width = 0, height = 0;
    object->accLocation(&left, &top, &width, &height, childId(id));
    BSTR name = nullptr;
    object->get_accName(childId(id), &name);
    std::printf("A\t%ld\t%ld\t%ld,%ld,%ld,%ld\t%s\n", id, roleOf(object, id), left, top, width,
                height, bstrText(name).c_str());
}

std::string accessible(Session&, const char* arguments) {
    if (IAccessible* object = clientObject(handleFrom(arguments))) {
        long count = 0;
        object->get_accChildCount(&count);
        for (long id = 1; id <= count; ++id)
            printAccessibleChild(object, id);
        object->Release();
    }
    return {};
}

std::string hit(Session&, const char* arguments) {
    char handle[32];
    long x = 0, y = 0;
    std::string answer = "none";
    if (std::sscanf(arguments, "%31s %ld %ld", handle, &x, &y) != 3)
        return answer;
    if (IAccessible* object = clientObject(handleFrom(handle))) {
        VARIANT at;
        VariantInit(&at);
        if (object->accHitTest(x, y, &at) == S_OK)
            answer = at.vt == VT_I4 ? std::to_string(at.lVal) : "object";
        VariantClear(&at);
        object->Release();
    }
    return answer;
}

std::string self(Session&, const char* arguments) {
    IAccessible* object = clientObject(handleFrom(arguments));
    if (!object)
        return "none";
    BSTR name = nullptr, description = nullptr, action = nullptr;
    object->get_accName(childId(CHILDID_SELF), &name);
    object->get_accDescription(childId(CHILDID_SELF), &description);
    object->get_accDefaultAction(childId(CHILDID_SELF), &action);
    const std::string answer = std::to_string(roleOf(object, CHILDID_SELF)) + "\t" +
                               bstrText(name) + "\t" + bstrText(description) + "\t" +
                               bstrText(action);
    object->Release();
    return answer;
}

std::string pressed(IAccessible* object, long id) {
    const HRESULT result = object ? object->accDoDefaultAction(childId(id)) : E_FAIL;
    char text[16];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(result));
    return text;
}

std::string press(Session& session, const char* arguments) {
    char handle[32];
    long id = 0;
    if (std::sscanf(arguments, "held %ld", &id) == 1)
        return pressed(session.held, id);
    if (std::sscanf(arguments, "%31s %ld", handle, &id) != 2)
        return pressed(nullptr, 0);
    IAccessible* object = clientObject(handleFrom(handle));
    std::string answer = pressed(object, id);
    if (object)
        object->Release();
    return answer;
}

std::string hold(Session& session, const char* arguments) {
    if (session.held)
        session.held->Release();
    session.held = clientObject(handleFrom(arguments));
    return session.held ? "1" : "0";
}

void CALLBACK onDescription(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF)
        PostThreadMessageW(GetCurrentThreadId(), descriptionChanged,
                           reinterpret_cast<WPARAM>(window), 0);
}

std::string watch(Session& session, const char* arguments) {
    session.watched = handleFrom(arguments);
    SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
                    onDescription, 0, 0, WINEVENT_OUTOFCONTEXT);
    return {};
}

void noteDescription(Session& session, HWND window) {
    if (window != session.watched)
        return;
    if (IAccessible* object = clientObject(window)) {
        BSTR description = nullptr;
        object->get_accDescription(childId(CHILDID_SELF), &description);
        session.heard += bstrText(description) + "\t";
        object->Release();
    }
}

std::string heard(Session& session, const char*) {
    const DWORD until = GetTickCount() + 500;
    MSG message;
    while (GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == descriptionChanged)
                noteDescription(session, reinterpret_cast<HWND>(message.wParam));
            DispatchMessageW(&message);
        }
    }
    return std::exchange(session.heard, {});
}

// The rest of a command line after <count> numbers, or nothing.
const char* textAfter(const char* arguments, int fields) {
    for (const char* c = arguments; *c; ++c) {
        if (*c == ' ' && --fields == 0)
            return c + 1;
    }
    return "";
}

bool putOnClipboard(const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return false;
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    const bool done =
        OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    if (!done)
        GlobalFree(memory);
    return done;
}

std::string clip(Session&, const char* arguments) {
    const size_t length = std::strtoull(arguments, nullptr, 10);
    const std::wstring piece = wide(textAfter(arguments, 1));
    if (piece.empty())
        return "0";
    std::wstring text;
    text.reserve(length);
    while (text.size() < length)
        text.append(piece, 0, length - text.size());
    return putOnClipboard(text) ? "1" : "0";
}

LRESULT sent(HWND window, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, 30000, &result);
    return static_cast<LRESULT>(result);
}

LRESULT putValue(HWND window, const std::wstring& text) {
    IAccessible* object = clientObject(window);
    if (!object)
        return E_FAIL;
    BSTR value = SysAllocString(text.c_str());
    const HRESULT result = object->put_accValue(childId(CHILDID_SELF), value);
    SysFreeString(value);
    object->Release();
    return result;
}

LRESULT sendCharacters(HWND window, std::string_view route, const std::wstring& text) {
    LRESULT result = 0;
    if (route == "unichar") {
        for (size_t i = 0; i < text.size(); ++i) {
            UINT code = text[i];
            if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size())
                code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
            result = sent(window, WM_UNICHAR, code, 0);
        }
        return result;
    }
    for (wchar_t unit : text)
        result = route == "post" ? PostMessageW(window, WM_CHAR, unit, 1)
                                 : sent(window, WM_CHAR, unit, 1);
    return result;
}

LRESULT deliver(HWND window, std::string_view route, const std::wstring& text) {
    if (route == "replace")
        return sent(window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    if (route == "set")
        return sent(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (route == "value")
        return putValue(window, text);
    return sendCharacters(window, route, text);
}

std::string send(Session&, const char* arguments) {
    char handle[32], route[16];
    long count = 0;
    if (std::sscanf(arguments, "%31s %15s %ld", handle, route, &count) != 3)
        return "0 0";
    const std::wstring piece = wide(textAfter(arguments, 3));
    std::wstring text;
    for (long i = 0; i < count; ++i)
        text += piece;
    const DWORD started = GetTickCount();
    const LRESULT result = deliver(handleFrom(handle), route, text);
    return std::to_string(result) + " " + std::to_string(GetTickCount() - started);
}

struct BoxCount {
    DWORD process = 0;
    int count = 0;
};

BOOL CALLBACK countBox(HWND window, LPARAM l) {
    auto* boxes = reinterpret_cast<BoxCount*>(l);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == boxes->process && IsWindowVisible(window) && classOf(window) == L"#32770")
        ++boxes->count;
    return TRUE;
}

int messageBoxes(HWND window) {
    BoxCount boxes;
    GetWindowThreadProcessId(window, &boxes.process);
    EnumWindows(countBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes.count;
}

std::string boxes(Session&, const char* arguments) {
    return std::to_string(messageBoxes(handleFrom(arguments)));
}

// Waits for the program to answer with a changed input (or a message box). A busy program does
// not answer; an answer with the old length means the keys have not reached it yet.
std::string await(Session&, const char* arguments) {
    char window[32], input[32];
    long oldLength = 0;
    unsigned long milliseconds = 0;
    if (std::sscanf(arguments, "%31s %31s %ld %lu", window, input, &oldLength, &milliseconds) != 4)
        return "TIMEOUT";
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(handleFrom(input), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                                 static_cast<UINT>(deadline - now), &length))
            break;
        const int shown = messageBoxes(handleFrom(window));
        if (static_cast<long>(length) != oldLength || shown > 0)
            return "ANSWER " + std::to_string(length) + " " + std::to_string(shown);
        Sleep(1);
    }
    return "TIMEOUT";
}

using Command = std::string (*)(Session&, const char*);
struct Named {
    std::string_view verb;
    Command run;
};
constexpr Named commands[] = {
    {"dump", dump},   {"find", find},   {"acc", accessible}, {"hit", hit},     {"self", self},
    {"press", press}, {"hold", hold},   {"watch", watch},    {"heard", heard}, {"clip", clip},
    {"send", send},   {"await", await}, {"boxes", boxes},
};

std::string answer(Session& session, std::string_view line) {
    const std::string_view verb = line.substr(0, line.find(' '));
    const char* arguments = line.size() > verb.size() ? line.data() + verb.size() + 1 : "";
    for (const Named& command : commands) {
        if (command.verb == verb)
            return command.run(session, arguments);
    }
    return "UNKNOWN";
}

} // namespace

int main() {
    // Bytes as they are: no CR before each LF, none taken out.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Session session;
    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\n")] = '\0';
        if (std::string_view(line) == "quit")
            break;
        const std::string result = answer(session, line);
        std::printf("END%s%s\n", result.empty() ? "" : " ", result.c_str());
        std::fflush(stdout);
    }
    if (session.held)
        session.held->Release();
    CoUninitialize();
    return 0;
}
