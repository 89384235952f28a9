// SPDX-License-Identifier: MIT
#include "platform/win32/TextBox.h"

#include "platform/win32/FormWindow.h"
#include "platform/win32/Runtime.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Text.h"

#include <commctrl.h>
#include <imm.h>
#include <utility>

namespace platform::win32 {

namespace {

COLORREF toColorRef(design::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

bool keyDown(int key) {
    return GetKeyState(key) < 0;
}

// A whole character as UTF-16; what is none (a half of a pair, past the last) is U+FFFD.
std::wstring fromCodePoint(WPARAM code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return L"\uFFFD";
    if (code < 0x10000)
        return std::wstring(1, static_cast<wchar_t>(code));
    code -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (code >> 10)),
            static_cast<wchar_t>(0xDC00 + (code & 0x3FF))};
}

// The text an input method has just finished, from imm32, loaded the first time it is needed.
std::wstring compositionResult(HWND window) {
    const auto context = systemFunction<HIMC WINAPI(HWND)>(L"imm32.dll", "ImmGetContext");
    const auto get = systemFunction<LONG WINAPI(HIMC, DWORD, LPVOID, DWORD)>(
        L"imm32.dll", "ImmGetCompositionStringW");
    const auto release = systemFunction<BOOL WINAPI(HWND, HIMC)>(L"imm32.dll", "ImmReleaseContext");
    std::wstring result;
    HIMC input = context && get && release ? context(window) : nullptr;
    if (!input)
        return result;
    const LONG bytes = get(input, GCS_RESULTSTR, nullptr, 0);
    if (bytes > 0) {
        result.resize(static_cast<std::size_t>(bytes) / sizeof(wchar_t));
        get(input, GCS_RESULTSTR, result.data(), static_cast<DWORD>(bytes));
    }
    release(window, input);
    return result;
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
        return character(w, l);
    case WM_UNICHAR: // a whole character from another program
        if (w == UNICODE_NOCHAR)
            return TRUE; // yes, this window takes them
        if (!filters())
            break;
        inserting(fromCodePoint(w));
        return FALSE;
    case WM_IME_COMPOSITION:
        if (filters() && (l & GCS_RESULTSTR))
            return composed(w, l);
        break;
    case EM_REPLACESEL:
        if (m_applying || !filters())
            break;
        inserting(l ? reinterpret_cast<const wchar_t*>(l) : L"");
        return 0;
    case WM_KEYDOWN:
        m_keyMessage = l;
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
        return setFromOutside(l ? reinterpret_cast<const wchar_t*>(l) : L"");
    case WM_GETDLGCODE:
        return dialogCode(w, l);
    default:
        break;
    }
    return base(message, w, l);
}

// A character that a key of this box typed carries that key's message word; one sent or posted
// by another program is an insertion, as is a character that takes two UTF-16 units.
LRESULT TextBox::character(WPARAM w, LPARAM l) {
    if (!filters() || !onKeyPress)
        return base(WM_CHAR, w, l);
    const auto unit = static_cast<wchar_t>(w);
    if (IS_LOW_SURROGATE(unit) && !m_highSurrogate.empty()) {
        inserting(std::exchange(m_highSurrogate, {}) + unit);
        return 0;
    }
    if (!m_highSurrogate.empty()) // half a character: judged as it is
        inserting(std::exchange(m_highSurrogate, {}));
    if (IS_HIGH_SURROGATE(unit)) {
        m_highSurrogate = unit;
        return 0;
    }
    if (InSendMessage() || l != m_keyMessage || IS_LOW_SURROGATE(unit)) {
        inserting(std::wstring(1, unit));
        return 0;
    }
    return typed(w, l);
}

LRESULT TextBox::typed(WPARAM w, LPARAM l) {
    // Bit 30: the key was already down.
    KeyPress key{static_cast<int>(w), (l & (1L << 30)) != 0};
    if (form().isLive())
        onKeyPress(key);
    if (key.code == 0)
        return 0; // dropped, and with it any editing command it stood for
    // The edit control deletes nothing for a backspace typed with Ctrl down (Ctrl+H).
    if (key.code == KeyPress::backspace && GetKeyState(VK_CONTROL) < 0)
        return backspace();
    return base(WM_CHAR, static_cast<WPARAM>(key.code), l);
}

LRESULT TextBox::backspace() {
    DWORD from = 0, to = 0;
    base(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    if (from == to && from > 0)
        base(EM_SETSEL, from - 1, to);
    base(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    return 0;
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

void TextBox::inserting(std::wstring text, bool evenEmpty) {
    if (m_maxLength > 0 && text.size() > m_maxLength + 1)
        text.resize(m_maxLength + 1);
    if ((evenEmpty || !text.empty()) && form().isLive())
        onInsert(toUtf8(text));
}

// An input method's result is one insertion; the rest of the composition goes on as usual,
// without the result coming again as characters.
LRESULT TextBox::composed(WPARAM w, LPARAM l) {
    inserting(compositionResult(hwnd()));
    const LPARAM rest = l & ~static_cast<LPARAM>(GCS_RESULTSTR | GCS_RESULTREADSTR |
                                                 GCS_RESULTCLAUSE | GCS_RESULTREADCLAUSE);
    return rest ? base(WM_IME_COMPOSITION, w, rest) : 0;
}

// An insertion over all of the text.
bool TextBox::setFromOutside(std::wstring_view text) {
    SendMessageW(hwnd(), EM_SETSEL, 0, -1);
    inserting(std::wstring(text), true);
    return form().isLive() && windowText(hwnd()) == text;
}

// The screen reader waits for the answer: a message box the value brings waits instead.
HRESULT TextBox::setValue(std::wstring_view value) {
    if (m_readOnly)
        return E_ACCESSDENIED;
    if (!filters())
        return DISP_E_MEMBERNOTFOUND;
    const auto answering = form().runtime().answering();
    return form().runtime().guard()(
        [&] {
            setFromOutside(value);
            return S_OK;
        },
        [] { return E_UNEXPECTED; });
}

// Enter and Escape are characters for the key-press handler, not the window's default buttons.
LRESULT TextBox::dialogCode(WPARAM w, LPARAM l) {
    LRESULT code = base(WM_GETDLGCODE, w, l);
    const auto* pending = reinterpret_cast<const MSG*>(l);
    // Return and Escape are characters to judge, unless Escape dismisses the window.
    const bool wanted = pending && (pending->wParam == VK_RETURN ||
                                    (pending->wParam == VK_ESCAPE && !form().escapeDismisses()));
    if (!m_readOnly && onKeyPress && wanted &&
        (pending->message == WM_KEYDOWN || pending->message == WM_CHAR))
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
