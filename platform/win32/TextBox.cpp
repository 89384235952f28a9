// SPDX-License-Identifier: MIT
#include "platform/win32/TextBox.h"

#include "platform/win32/FormWindow.h"
#include "platform/win32/Text.h"

#include <commctrl.h>
#include <utility>

namespace platform::win32 {

namespace {

COLORREF toColorRef(design::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

bool keyDown(int key) {
    return GetKeyState(key) < 0;
}

} // namespace

TextBox::TextBox(FormWindow& form, const TextBoxProperties& properties)
    : Control(form, L"EDIT",
              WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT | (properties.readOnly ? ES_READONLY : 0),
              WS_EX_CLIENTEDGE)
    , m_place(properties.place)
    , m_name(toWide(properties.accessibleName))
    , m_tip(toWide(properties.tip))
    , m_readOnly(properties.readOnly)
    , m_maxLength(properties.maxLength) {
    SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0); // as long as the system allows
    if (!m_tip.empty())
        form.tooltip().add(hwnd(), m_tip);
}

std::string TextBox::text() const {
    return toUtf8(windowText(hwnd()));
}

void TextBox::setText(std::string_view text) {
    m_applying = true;
    SetWindowTextW(hwnd(), toWide(text).c_str());
    m_applying = false;
}

std::size_t TextBox::length() const {
    return static_cast<std::size_t>(GetWindowTextLengthW(hwnd()));
}

std::size_t TextBox::selectedLength() const {
    DWORD from = 0, to = 0;
    SendMessageW(hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return to - from;
}

void TextBox::insert(std::string_view text) {
    m_applying = true;
    const std::wstring wide = toWide(text);
    SendMessageW(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str())); // undoable
    m_applying = false;
}

void TextBox::setTip(std::string_view tip) {
    m_tip = toWide(tip);
    form().tooltip().update(hwnd(), m_tip);
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void TextBox::setMarked(bool marked) {
    m_marked = marked;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void TextBox::scale(int dpi) {
    const RECT r = form().pixelRect(m_place, dpi);
    SetWindowPos(hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(form().textFont()), TRUE);
}

LRESULT TextBox::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_CHAR:
        return typed(w, l);
    case WM_KEYDOWN:
        // Shift+Insert pastes inside the control without a WM_PASTE.
        if (w == VK_INSERT && keyDown(VK_SHIFT) && !keyDown(VK_CONTROL) && filters()) {
            pasteClipboard();
            return 0;
        }
        break;
    case WM_PASTE:
        if (!filters())
            break;
        pasteClipboard();
        return 0;
    case WM_SETTEXT:
        if (m_applying || !filters())
            break;
        return setFromOutside(l);
    case WM_GETDLGCODE:
        return dialogCode(w, l);
    default:
        break;
    }
    return base(message, w, l);
}

LRESULT TextBox::typed(WPARAM w, LPARAM l) {
    if (m_readOnly || !onKeyPress)
        return base(WM_CHAR, w, l);
    // Bit 30: the key was already down.
    KeyPress key{static_cast<int>(w), (l & (1L << 30)) != 0};
    if (form().isLive())
        onKeyPress(key);
    if (key.code == 0)
        return 0; // dropped, and with it any editing command it stood for
    return base(WM_CHAR, static_cast<WPARAM>(key.code), l);
}

void TextBox::pasteClipboard() {
    std::wstring pasted;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT) && OpenClipboard(hwnd())) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                // No more than can be taken: a pasted log need not be copied whole.
                pasted = std::wstring_view(text).substr(0, m_maxLength > 0 ? m_maxLength + 1
                                                                           : std::wstring::npos);
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    inserting(std::move(pasted));
}

void TextBox::inserting(std::wstring text) {
    if (m_maxLength > 0 && text.size() > m_maxLength + 1)
        text.resize(m_maxLength + 1);
    if (!text.empty() && form().isLive())
        onInsert(toUtf8(text));
}

// Another program (a screen reader) sets the whole text: an insertion over all of it.
LRESULT TextBox::setFromOutside(LPARAM l) {
    const auto* text = reinterpret_cast<const wchar_t*>(l);
    SendMessageW(hwnd(), EM_SETSEL, 0, -1);
    inserting(text ? text : L"");
    return TRUE;
}

// Enter and Escape are characters for the key-press handler, not the window's default buttons.
LRESULT TextBox::dialogCode(WPARAM w, LPARAM l) {
    LRESULT code = base(WM_GETDLGCODE, w, l);
    const auto* pending = reinterpret_cast<const MSG*>(l);
    if (!m_readOnly && onKeyPress && pending &&
        (pending->message == WM_KEYDOWN || pending->message == WM_CHAR) &&
        (pending->wParam == VK_RETURN || pending->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
    return code;
}

LRESULT TextBox::notified(UINT message, WPARAM w, LPARAM) {
    if (message == WM_COMMAND) {
        if (HIWORD(w) == EN_CHANGE && form().isLive() && onChange)
            onChange();
        return 0;
    }
    return colours(reinterpret_cast<HDC>(w)); // WM_CTLCOLOREDIT, or WM_CTLCOLORSTATIC read-only
}

// The four boxes alike: the design's text colour on the system's colour for text fields, or on
// the mark's colour.
LRESULT TextBox::colours(HDC dc) {
    SetTextColor(dc, toColorRef(design::textBoxColour));
    if (m_marked && !m_markBrush)
        m_markBrush = Brush(CreateSolidBrush(toColorRef(design::invalidInputBase)));
    SetBkColor(dc, m_marked ? toColorRef(design::invalidInputBase) : GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(m_marked ? m_markBrush.get() : GetSysColorBrush(COLOR_WINDOW));
}

} // namespace platform::win32
