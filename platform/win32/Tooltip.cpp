// SPDX-License-Identifier: MIT
#include "platform/win32/Tooltip.h"

#include <commctrl.h>

namespace platform::win32 {

namespace {

TTTOOLINFOW toolFor(HWND owner, HWND control, const std::wstring& text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str()); // the tooltip keeps a copy
    return tool;
}

} // namespace

Tooltip::Tooltip(HWND owner, HINSTANCE instance)
    : m_owner(owner)
    , m_tooltip(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                nullptr, instance, nullptr)) {}

void Tooltip::add(HWND control, const std::wstring& text) {
    TTTOOLINFOW tool = toolFor(m_owner, control, text);
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltip::update(HWND control, const std::wstring& text) {
    TTTOOLINFOW tool = toolFor(m_owner, control, text);
    SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace platform::win32
