// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>
#include <string>
#include <string_view>

// The forms runtime speaks UTF-8; the Windows API, UTF-16. Converted only at the API call.
namespace platform::win32 {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);
// A window's text (a control's or a window's title).
std::wstring windowText(HWND window);
// The family of the boxes' and the scale list's text, as design/fonts.h chooses it; the bundled
// font, the module's COMICNEUE resource, is registered for this process when it is chosen.
std::wstring chooseTextFamily(HINSTANCE module);

} // namespace platform::win32
