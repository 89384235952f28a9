// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>
#include <string>

namespace platform::win32 {

// The tooltips of one window's controls.
class Tooltip {
public:
    Tooltip(HWND owner, HINSTANCE instance);
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;

    void add(HWND control, const std::wstring& text);
    void update(HWND control, const std::wstring& text);

private:
    HWND m_owner;
    HWND m_tooltip; // owned by the window, which destroys it with itself
};

} // namespace platform::win32
