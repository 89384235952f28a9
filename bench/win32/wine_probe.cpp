// SPDX-License-Identifier: MIT
// The benchmarks' hands inside Wine (bench/startup_wine.py, bench/input_wine.py): a second Wine
// process that keeps the Wine session warm between runs and, on request, sets the clipboard and
// asks the measured window whether it answers. One command a line on stdin, one answer a line:
//   find                     -> "W <window> <input> <left,top,right,bottom>" or "NONE": the visible
//                               top-level window with an edit at the input box's place, that
//                               edit and its rectangle on the screen
//   clip <count>             -> "OK" or "FAIL <error>": <count> digits on the clipboard
//   await <window> <input> <length> <milliseconds>
//                            -> "ANSWER <length> <boxes>" as soon as the input answers with a
//                               length other than <length> or the window's process shows a
//                               message box; "TIMEOUT" when it has not answered by then
//   boxes <window>           -> "BOXES <count>": visible message boxes of the window's process
//   quit
#include "design/layout.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

HWND handleFrom(const char* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 10)));
}

unsigned long long handleText(HWND window) {
    return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window));
}

bool hasClass(HWND window, const wchar_t* name) {
    wchar_t found[64] = {};
    GetClassNameW(window, found, 64);
    return lstrcmpiW(found, name) == 0;
}

struct Search {
    HWND parent;
    POINT at;
    HWND found;
};

BOOL CALLBACK findInput(HWND child, LPARAM l) {
    auto* search = reinterpret_cast<Search*>(l);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, search->parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.left == search->at.x && r.top == search->at.y && hasClass(child, L"Edit")) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findWindow(HWND window, LPARAM l) {
    if (!IsWindowVisible(window))
        return TRUE;
    const design::Placement* input = design::findPlacement("Text1");
    Search search{window, {design::toPixels(input->left), design::toPixels(input->top)}, nullptr};
    EnumChildWindows(window, findInput, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return TRUE;
    *reinterpret_cast<Search*>(l) = search;
    return FALSE;
}

void find() {
    Search search{nullptr, {}, nullptr};
    EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        std::printf("NONE\n");
        return;
    }
    RECT r;
    GetWindowRect(search.found, &r);
    std::printf("W %llu %llu %ld,%ld,%ld,%ld\n", handleText(search.parent),
                handleText(search.found), r.left, r.top, r.right, r.bottom);
}

// Digits 1 to 9 over and over, as the other input benchmark pastes.
void clip(size_t count) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(wchar_t));
    if (!memory) {
        std::printf("FAIL GlobalAlloc %lu\n", GetLastError());
        return;
    }
    auto* text = static_cast<wchar_t*>(GlobalLock(memory));
    for (size_t i = 0; i < count; ++i)
        text[i] = static_cast<wchar_t>(L'1' + i % 9);
    text[count] = 0;
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        std::printf("FAIL OpenClipboard %lu\n", GetLastError());
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        std::printf("FAIL SetClipboardData %lu\n", GetLastError());
        GlobalFree(memory);
    } else {
        std::printf("OK\n");
    }
    CloseClipboard();
}

struct BoxCount {
    DWORD process;
    int count;
};

BOOL CALLBACK countBox(HWND window, LPARAM l) {
    auto* boxes = reinterpret_cast<BoxCount*>(l);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == boxes->process && IsWindowVisible(window) && hasClass(window, L"#32770"))
        ++boxes->count;
    return TRUE;
}

int messageBoxes(HWND window) {
    BoxCount boxes{0, 0};
    GetWindowThreadProcessId(window, &boxes.process);
    EnumWindows(countBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes.count;
}

// Waits for the program to answer with a changed input (or a message box). A busy program does
// not answer; an answer with the old length means the keys have not reached it yet.
void await(HWND window, HWND input, LRESULT oldLength, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(input, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                                 static_cast<UINT>(deadline - now), &length))
            break;
        const int boxes = messageBoxes(window);
        if (static_cast<LRESULT>(length) != oldLength || boxes > 0) {
            std::printf("ANSWER %lu %d\n", static_cast<unsigned long>(length), boxes);
            return;
        }
        Sleep(1);
    }
    std::printf("TIMEOUT\n");
}

} // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY); // no CR before each LF
    char line[128];
    char first[32], second[32];
    unsigned long long number = 0, milliseconds = 0;
    long length = 0;
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::strncmp(line, "quit", 4) == 0)
            break;
        if (std::strncmp(line, "find", 4) == 0)
            find();
        else if (std::sscanf(line, "clip %llu", &number) == 1)
            clip(static_cast<size_t>(number));
        else if (std::sscanf(line, "await %31s %31s %ld %llu", first, second, &length,
                             &milliseconds) == 4)
            await(handleFrom(first), handleFrom(second), length, static_cast<DWORD>(milliseconds));
        else if (std::sscanf(line, "boxes %31s", first) == 1)
            std::printf("BOXES %d\n", messageBoxes(handleFrom(first)));
        else
            std::printf("UNKNOWN\n");
        std::fflush(stdout);
    }
    return 0;
}
