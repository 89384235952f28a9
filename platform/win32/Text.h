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

} // namespace platform::win32
