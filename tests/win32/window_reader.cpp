// SPDX-License-Identifier: MIT
// Reads the window tree of the desktop for the end-to-end test, from outside the program, as any
// other process sees it. Each line "dump" on stdin prints every visible top-level window and its
// descendants, then "END"; "quit" ends. Lines (fields split by tabs, texts escaped):
//   W <hwnd> <class> <left,top,right,bottom on the screen> <text>
//   C <hwnd> <parent> <class> <left,top,right,bottom in the top-level's client> <visible> <text>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

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

} // namespace

int main() {
    // Bytes as they are: no CR added before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::string(line).rfind("quit", 0) == 0)
            break;
        EnumWindows(printTopLevel, 0);
        std::printf("END\n");
        std::fflush(stdout);
    }
    return 0;
}
