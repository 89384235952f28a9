// SPDX-License-Identifier: MIT
#include "platform/win32/Text.h"

#include "design/fonts.h"
#include "platform/win32/Handles.h"

namespace platform::win32 {

namespace {

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool familyInstalled(std::string_view family) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, toWide(family).c_str(), LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(ScreenDC().get(), &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

} // namespace

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string toUtf8(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring chooseTextFamily(HINSTANCE module) {
    return toWide(design::fonts::chooseTextFamily(familyInstalled, [module] {
        if (HRSRC found = FindResourceW(module, L"COMICNEUE", MAKEINTRESOURCEW(10))) { // RCDATA
            DWORD installed = 0;
            AddFontMemResourceEx(LockResource(LoadResource(module, found)),
                                 SizeofResource(module, found), nullptr, &installed);
        }
    }));
}

} // namespace platform::win32
