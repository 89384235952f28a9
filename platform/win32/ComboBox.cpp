// SPDX-License-Identifier: MIT
#include "platform/win32/ComboBox.h"

#include "platform/win32/FormWindow.h"
#include "platform/win32/Text.h"

namespace platform::win32 {

ComboBox::ComboBox(FormWindow& form, const ComboBoxProperties& properties)
    : Control(form, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0)
    , m_place(properties.place)
    , m_name(toWide(properties.accessibleName)) {
    for (std::string_view entry : properties.entries)
        SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(entry).c_str()));
    const std::wstring text = toWide(properties.text);
    const LRESULT entry = SendMessageW(hwnd(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    if (entry != CB_ERR)
        SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    else
        SetWindowTextW(hwnd(), text.c_str());
}

std::string ComboBox::text() const {
    return toUtf8(windowText(hwnd()));
}

LRESULT ComboBox::notified(UINT message, WPARAM w, LPARAM) {
    if (message != WM_COMMAND || HIWORD(w) != CBN_SELCHANGE)
        return 0;
    const LRESULT picked = SendMessageW(hwnd(), CB_GETCURSEL, 0, 0);
    if (picked == CB_ERR)
        return 0;
    const auto length = SendMessageW(hwnd(), CB_GETLBTEXTLEN, static_cast<WPARAM>(picked), 0);
    std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(hwnd(), CB_GETLBTEXT, static_cast<WPARAM>(picked),
                 reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<std::size_t>(length));
    SetWindowTextW(hwnd(), entry.c_str());
    if (form().isLive() && onPick)
        onPick();
    return 0;
}

void ComboBox::scale(int dpi) {
    const RECT r = form().pixelRect(m_place, dpi);
    // A drop-down combo box's window height includes its list.
    SetWindowPos(hwnd(), nullptr, r.left, r.top, r.right - r.left, MulDiv(200, dpi, 96),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(form().scaleFont()), TRUE);
    // The field itself is the designed height; the frame adds about 6 pixels to the item.
    SendMessageW(hwnd(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                 r.bottom - r.top - MulDiv(6, dpi, 96));
}

LRESULT ComboBox::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_CTLCOLOREDIT: // its own field and list ask it for their colours
    case WM_CTLCOLORLISTBOX: {
        const auto dc = reinterpret_cast<HDC>(w);
        SetTextColor(
            dc, RGB(design::scaleColour.red, design::scaleColour.green, design::scaleColour.blue));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    default:
        break;
    }
    return base(message, w, l);
}

} // namespace platform::win32
