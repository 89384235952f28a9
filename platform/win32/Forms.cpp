// SPDX-License-Identifier: MIT
#include "win32/Forms.h"

#include "conversion/number_text.h"
#include "design/keystrokes.h"
#include "design/layout.h"
#include "design/pictures.h"
#include "win32/resource_ids.h"

#include <commctrl.h>
#include <exception>
#include <initguid.h> // defines the annotation GUIDs of oleacc.h here
#include <iterator>
#include <oleacc.h>
#include <utility>
#include <vector>
#include <windowsx.h>

namespace win32 {

namespace {

constexpr wchar_t form1Class[] = L"VelmoraForm1";
constexpr wchar_t form2Class[] = L"VelmoraForm2";
constexpr wchar_t title[] = L"Velmora Temperature Converter";
constexpr int combo1Id = 5;
// Posted by a screen reader's press of a picture (wParam: its index), carried out from the loop.
constexpr UINT pressPictureMessage = WM_APP + 1;

// The painted pictures, from the bottom of the stacking order up, with the names and roles that
// a screen reader gets on the other platforms too.
struct PictureFacts {
    const char* control;
    const wchar_t* name;
    bool button;
};
constexpr PictureFacts paintedPictures[] = {
    {"Image3", title, false}, {"Image4", L"About", true}, {"Image1", L"Close", true}};

COLORREF toColorRef(design::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

// GetDpiForWindow came with Windows 10 (1607); before it, the screen's density is the system's.
int dpiOf(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), "GetDpiForWindow")));
    UINT dpi = 0;
    if (dpiForWindow && window)
        dpi = dpiForWindow(window);
    if (dpi == 0) {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
    }
    return dpi ? static_cast<int>(dpi) : 96;
}

// The pictures are drawn at twice their size from the @2x files at 200 % and above.
Bitmap loadPicture(int id, int dpi) {
    return Bitmap(dpi >= 192 ? id + VELMORA_PICTURE_2X : id);
}

// Centres a client area of the given size on the work area of the monitor the window is on.
void centreOnWorkArea(HWND window, int clientWidth, int clientHeight) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int left = area.left + (area.right - area.left - clientWidth) / 2;
    const int top = area.top + (area.bottom - area.top - clientHeight) / 2;
    SetWindowPos(window, nullptr, left, top, clientWidth, clientHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring describeProblem(const std::exception& error) {
    if (dynamic_cast<const conversion::ConversionError*>(&error))
        return L"Not a number: enter digits with at most one full stop";
    if (dynamic_cast<const conversion::OverflowError*>(&error))
        return L"Out of range: the number is too large to convert";
    return L"Cannot convert: " + toWide(error.what());
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// After a change of density: the window goes to the rectangle Windows suggests (the LPARAM of
// WM_DPICHANGED) and is painted anew.
LRESULT moveToSuggested(HWND window, LPARAM l) {
    const auto* suggested = reinterpret_cast<const RECT*>(l);
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

} // namespace

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

std::string toUtf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

void DragTracker::press(HWND window, POINT client) {
    m_pressed = true;
    m_dragging = false;
    m_start = client;
    ClientToScreen(window, &m_start);
    RECT frame;
    GetWindowRect(window, &frame);
    m_windowStart = {frame.left, frame.top};
    SetCapture(window);
}

void DragTracker::move(HWND window, WPARAM keys) {
    if (!m_pressed || !(keys & MK_LBUTTON))
        return;
    POINT now;
    GetCursorPos(&now);
    const int dx = now.x - m_start.x;
    const int dy = now.y - m_start.y;
    if (!m_dragging &&
        (abs(dx) >= GetSystemMetrics(SM_CXDRAG) || abs(dy) >= GetSystemMetrics(SM_CYDRAG)))
        m_dragging = true;
    if (m_dragging)
        SetWindowPos(window, nullptr, m_windowStart.x + dx, m_windowStart.y + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DragTracker::follow(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_MOUSEMOVE)
        move(window, w);
    // Another window took the mouse (a message box, the task switcher): the press is over.
    else if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(l) != window)
        m_pressed = m_dragging = false;
}

bool DragTracker::release(HWND window) {
    if (!m_pressed)
        return false;
    m_pressed = false;
    if (GetCapture() == window)
        ReleaseCapture();
    return !m_dragging;
}

// ---- Form2 ----

Form2::~Form2() {
    if (m_window)
        DestroyWindow(m_window);
}

void Form2::show() {
    if (m_window) {
        if (IsIconic(m_window))
            ShowWindow(m_window, SW_RESTORE);
        SetForegroundWindow(m_window);
        return;
    }
    {
        // A second registration fails harmlessly once the class exists.
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = m_program.instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        windowClass.hIcon = LoadIconW(m_program.instance, L"IDI_ICON1");
        windowClass.lpszClassName = form2Class;
        RegisterClassExW(&windowClass);
    }
    m_window = CreateWindowExW(WS_EX_APPWINDOW, form2Class, L"Form2",
                               WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
                               m_program.instance, this);
    if (!m_window)
        return;
    const int dpi = dpiOf(m_window);
    m_card = loadPicture(VELMORA_PICTURE_ABOUT_CARD, dpi);
    centreOnWorkArea(m_window, MulDiv(design::aboutClientWidth, dpi, 96),
                     MulDiv(design::aboutClientHeight, dpi, 96));
    m_program.windowOpened();
    ShowWindow(m_window, SW_SHOW);
}

namespace {
// The form object a window was created for: tied to the window when it is created, so that each
// message reaches its form.
void* formOf(HWND window, UINT message, LPARAM l) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    return reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
} // namespace

LRESULT CALLBACK Form2::windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = static_cast<Form2*>(formOf(window, message, l));
    if (!self)
        return DefWindowProcW(window, message, w, l);
    self->m_window = window; // known before CreateWindowExW returns
    return self->handle(message, w, l);
}

LRESULT Form2::handle(UINT message, WPARAM w, LPARAM l) {
    HWND window = m_window;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const int dpi = dpiOf(window);
        const RECT card{0, 0, MulDiv(design::pictures::aboutCard.width, dpi, 96),
                        MulDiv(design::pictures::aboutCard.height, dpi, 96)};
        m_card.draw(dc, card);
        // The card is a pixel narrower than the window: that column shows the default colour.
        RECT client;
        GetClientRect(window, &client);
        const RECT strip{card.right, 0, client.right, client.bottom};
        FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DPICHANGED: {
        m_card = loadPicture(VELMORA_PICTURE_ABOUT_CARD, LOWORD(w));
        return moveToSuggested(window, l);
    }
    case WM_LBUTTONDOWN:
        m_drag.press(window, {GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return 0;
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
        m_drag.follow(window, message, w, l);
        return 0;
    case WM_LBUTTONUP:
        if (m_drag.release(window))
            DestroyWindow(window); // Form_Click: a click anywhere unloads the window
        return 0;
    case WM_DESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        m_window = nullptr;
        m_card = Bitmap();
        m_program.windowClosed();
        return 0;
    default:
        return DefWindowProcW(window, message, w, l);
    }
}

// ---- Form1 ----

Form1::Form1(Program& program, Form2& about)
    : m_program(program)
    , m_about(about) {
    m_white = CreateSolidBrush(RGB(255, 255, 255));
    m_invalid = CreateSolidBrush(toColorRef(design::invalidInputBase));
    m_tip = L"Please enter the value to convert";
    create();
}

Form1::~Form1() {
    if (m_window)
        DestroyWindow(m_window);
    DeleteObject(m_white);
    DeleteObject(m_invalid);
}

int Form1::scaled(int pixels) const {
    return MulDiv(pixels, m_dpi, 96);
}

RECT Form1::pixelRect(const char* control) const {
    const design::Placement* place = design::findPlacement(control);
    if (!place)
        return {};
    const int left = scaled(design::toPixels(place->left));
    const int top = scaled(design::toPixels(place->top));
    return {left, top, left + scaled(design::toPixels(place->width)),
            top + scaled(design::toPixels(place->height))};
}

void Form1::create() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = m_program.instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hIcon = LoadIconW(m_program.instance, L"IDI_ICON1");
    windowClass.lpszClassName = form1Class;
    RegisterClassExW(&windowClass);
    m_window = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, form1Class, title,
                               WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, 0, 0, 0,
                               nullptr, nullptr, m_program.instance, this);
    if (!m_window)
        return;
    m_dpi = dpiOf(m_window);
    createControls();
    scaleToDpi();
    centreOnWorkArea(m_window, scaled(design::toPixels(design::mainClientWidthTwips)),
                     scaled(design::toPixels(design::mainClientHeightTwips)));
    m_program.windowOpened();
    ShowWindow(m_window, SW_SHOW);
    SetFocus(m_text1);
}

// The pictures, fonts and control rectangles for the window's density; again whenever the window
// moves to a screen of another density.
void Form1::scaleToDpi() {
    m_background = loadPicture(VELMORA_PICTURE_BACKGROUND, m_dpi);
    m_image1 = loadPicture(VELMORA_PICTURE_CLOSE, m_dpi);
    m_image3 = loadPicture(VELMORA_PICTURE_TITLE_BANNER, m_dpi);
    m_image4 = loadPicture(VELMORA_PICTURE_ABOUT_BANNER, m_dpi);

    const auto makeFont = [this](int pixels) {
        return CreateFontW(-scaled(pixels), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           DEFAULT_PITCH, m_program.textFamily.c_str());
    };
    HFONT oldText = std::exchange(m_textFont, makeFont(design::textBoxFontPixels));
    HFONT oldScale = std::exchange(m_scaleFont, makeFont(design::scaleFontPixels));

    const std::pair<HWND, const char*> boxes[] = {
        {m_text1, "Text1"}, {m_text2, "Text2"}, {m_text3, "Text3"}, {m_text4, "Text4"}};
    for (const auto& [box, name] : boxes) {
        const RECT r = pixelRect(name);
        SetWindowPos(box, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont), TRUE);
    }
    const RECT r = pixelRect("Combo1");
    // A drop-down combo's window height includes its list.
    SetWindowPos(m_combo1, nullptr, r.left, r.top, r.right - r.left, scaled(200),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(m_combo1, WM_SETFONT, reinterpret_cast<WPARAM>(m_scaleFont), TRUE);
    // The field itself is the designed height; the frame adds about 6 pixels to the item.
    SendMessageW(m_combo1, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), r.bottom - r.top - scaled(6));
    if (oldText)
        DeleteObject(oldText);
    if (oldScale)
        DeleteObject(oldScale);
}

void Form1::createControls() {
    HINSTANCE instance = m_program.instance;
    // Created in tab order: Text1, Text2, Text3, Combo1, Text4; scaleToDpi places them.
    const auto makeBox = [&](bool readOnly) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
        if (readOnly)
            style |= ES_READONLY; // still takes the focus and allows selection
        HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 0, 0, m_window,
                                   nullptr, instance, nullptr);
        // No length limit, as on the other platforms (the default is 30,000 characters).
        SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
        return box;
    };
    m_text1 = makeBox(false);
    m_text2 = makeBox(true);
    m_text3 = makeBox(true);
    m_combo1 = CreateWindowExW(
        0, L"COMBOBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0, 0,
        0, m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(combo1Id)), instance, nullptr);
    for (const wchar_t* name : {L"Celsius", L"Fahrenheit", L"Kelvin"})
        SendMessageW(m_combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageW(m_combo1, CB_SETCURSEL, 0, 0);
    m_text4 = makeBox(true);

    SetWindowSubclass(m_text1, text1Proc, 1, reinterpret_cast<DWORD_PTR>(this));

    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                m_window, nullptr, instance, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_text1);
    tool.lpszText = m_tip.data();
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    nameControls();
}

// The row captions are painted into the background, so no label names the boxes: a screen
// reader gets their names from annotations.
void Form1::nameControls() {
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices,
                                reinterpret_cast<void**>(&m_accessibility)))) {
        m_accessibility = nullptr;
        return;
    }
    const std::pair<HWND, const wchar_t*> names[] = {{m_text1, L"Temperature to convert"},
                                                     {m_text2, L"Fahrenheit"},
                                                     {m_text3, L"Celsius"},
                                                     {m_combo1, L"Scale"},
                                                     {m_text4, L"Kelvin"}};
    for (const auto& [control, name] : names)
        m_accessibility->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                        PROPID_ACC_NAME, name);
    describeInput();
}

// The input's description is its tooltip: the hint, or why the input does not convert.
void Form1::describeInput() {
    if (m_accessibility)
        m_accessibility->SetHwndPropStr(m_text1, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                        PROPID_ACC_DESCRIPTION, m_tip.c_str());
}

LRESULT CALLBACK Form1::windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = static_cast<Form1*>(formOf(window, message, l));
    if (!self)
        return DefWindowProcW(window, message, w, l);
    self->m_window = window; // known before CreateWindowExW returns
    return self->handle(message, w, l);
}

int Form1::pictureIndexAt(POINT client) const {
    for (int i = pictureCount() - 1; i >= 0; --i) { // topmost first: Image1 lies over Image3
        const RECT r = pictureRect(i);
        if (PtInRect(&r, client))
            return i;
    }
    return -1;
}

void Form1::clickPicture(int index) {
    const std::string_view control = paintedPictures[index].control;
    if (control == "Image1")
        Image1_Click();
    else if (control == "Image4")
        Image4_Click();
}

LRESULT Form1::handle(UINT message, WPARAM w, LPARAM l) {
    HWND window = m_window;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        // Drawn off-screen first, so that the layers never flicker.
        HDC buffer = CreateCompatibleDC(dc);
        HBITMAP surface = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ old = SelectObject(buffer, surface);
        FillRect(buffer, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        m_background.draw(buffer, {0, 0, scaled(design::pictures::background.width),
                                   scaled(design::pictures::background.height)});
        // Bottom of the stacking order first.
        const auto drawAt = [&](const Bitmap& picture, const char* name, int width, int height) {
            const RECT r = pixelRect(name);
            picture.draw(buffer, {r.left, r.top, r.left + scaled(width), r.top + scaled(height)});
        };
        drawAt(m_image3, "Image3", design::pictures::titleBanner.width,
               design::pictures::titleBanner.height);
        drawAt(m_image4, "Image4", design::pictures::aboutBanner.width,
               design::pictures::aboutBanner.height);
        drawAt(m_image1, "Image1", design::pictures::closeButton.width,
               design::pictures::closeButton.height);
        BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
        SelectObject(buffer, old);
        DeleteObject(surface);
        DeleteDC(buffer);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_GETOBJECT:
        // Compared as 32 bits: the id is a DWORD that a 64-bit LPARAM may carry sign-extended.
        if (static_cast<DWORD>(l) == static_cast<DWORD>(OBJID_CLIENT)) {
            if (!m_clientAccessible)
                m_clientAccessible = createClientAccessible(window, *this);
            if (m_clientAccessible)
                return LresultFromObject(IID_IAccessible, w, m_clientAccessible);
        }
        return DefWindowProcW(window, message, w, l);
    case pressPictureMessage:
        if (w < std::size(paintedPictures))
            clickPicture(static_cast<int>(w));
        return 0;
    case WM_LBUTTONDOWN: {
        const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        m_pressedPicture = pictureIndexAt(at);
        m_drag.press(window, at);
        return 0;
    }
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
        m_drag.follow(window, message, w, l);
        return 0;
    case WM_LBUTTONUP: {
        const int pressed = std::exchange(m_pressedPicture, -1);
        if (m_drag.release(window) && pressed >= 0 &&
            pictureIndexAt({GET_X_LPARAM(l), GET_Y_LPARAM(l)}) == pressed)
            clickPicture(pressed);
        return 0;
    }
    case WM_COMMAND: {
        const HWND from = reinterpret_cast<HWND>(l);
        if (from == m_text1 && HIWORD(w) == EN_CHANGE)
            Text1_Change();
        else if (from == m_combo1 && HIWORD(w) == CBN_SELCHANGE)
            Combo1_Click();
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: // read-only edits ask with this one
    case WM_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(w);
        const HWND control = reinterpret_cast<HWND>(l);
        const bool inScale =
            control == m_combo1 || GetParent(control) == m_combo1 || message == WM_CTLCOLORLISTBOX;
        SetTextColor(dc, toColorRef(inScale ? design::scaleColour : design::textBoxColour));
        const bool invalid = control == m_text1 && m_inputInvalid;
        SetBkColor(dc, invalid ? toColorRef(design::invalidInputBase) : RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(invalid ? m_invalid : m_white);
    }
    case WM_DPICHANGED: {
        // Moved to a screen of another density: redraw at it, in the rectangle Windows suggests.
        m_dpi = LOWORD(w);
        scaleToDpi();
        return moveToSuggested(window, l);
    }
    case WM_ACTIVATE:
        // Back to the control that had the focus, as a dialog does.
        if (LOWORD(w) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus))
                m_lastFocus = focus;
        } else {
            SetFocus(m_lastFocus && IsWindow(m_lastFocus) ? m_lastFocus : m_text1);
        }
        return 0;
    case WM_DESTROY:
        if (m_accessibility) {
            const MSAAPROPID props[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
            for (HWND control : {m_text1, m_text2, m_text3, m_combo1, m_text4})
                m_accessibility->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT),
                                                CHILDID_SELF, props, 2);
            m_accessibility->Release();
            m_accessibility = nullptr;
        }
        if (m_clientAccessible) {
            // Screen readers may hold the object longer than the window lives.
            disconnectClientAccessible(m_clientAccessible);
            m_clientAccessible->Release();
            m_clientAccessible = nullptr;
        }
        RemoveWindowSubclass(m_text1, text1Proc, 1);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DeleteObject(m_textFont);
        DeleteObject(m_scaleFont);
        m_window = nullptr;
        m_program.windowClosed();
        return 0;
    default:
        return DefWindowProcW(window, message, w, l);
    }
}

LRESULT CALLBACK Form1::text1Proc(HWND edit, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                  DWORD_PTR self) {
    auto* form = reinterpret_cast<Form1*>(self);
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter and Escape are characters for the filter, not the window's default buttons.
        LRESULT code = DefSubclassProc(edit, message, w, l);
        if (const auto* pending = reinterpret_cast<const MSG*>(l);
            pending && (pending->message == WM_KEYDOWN || pending->message == WM_CHAR) &&
            (pending->wParam == VK_RETURN || pending->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_CHAR: {
        int code = static_cast<int>(w);
        // Bit 30: the key was already down. A held refused key brings one message, not one
        // for each repeat.
        const bool repeat = (l & (1L << 30)) != 0;
        if (repeat && code == form->m_refusedCode)
            return 0;
        form->m_refusedCode = 0;
        form->Text1_KeyPress(code);
        if (code == 0) {
            form->m_refusedCode = static_cast<int>(w);
            return 0; // dropped, and with it any editing command it stood for
        }
        w = static_cast<WPARAM>(code);
        break;
    }
    case WM_KEYDOWN:
        // Shift+Insert pastes inside the edit without a WM_PASTE; take it through the filter.
        if (w == VK_INSERT && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0) {
            form->pasteIntoText1();
            return 0;
        }
        break;
    case WM_PASTE:
        form->pasteIntoText1();
        return 0;
    default:
        break;
    }
    return DefSubclassProc(edit, message, w, l);
}

void Form1::pasteIntoText1() {
    std::wstring pasted;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT) && OpenClipboard(m_window)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                pasted = text;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    // The accepted characters go in; the first refused one is then shown, once.
    std::wstring kept;
    int refused = 0;
    for (wchar_t c : pasted) {
        // Backspace is a key, not a character that text may hold.
        if (c != 8 && design::isAcceptedCode(c))
            kept += c;
        else if (refused == 0)
            refused = c;
    }
    if (!kept.empty())
        SendMessageW(m_text1, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
    if (refused != 0)
        Text1_KeyPress(refused);
}

void Form1::Text1_KeyPress(int& keyAscii) {
    if (design::isAcceptedCode(keyAscii))
        return;
    MessageBoxW(m_window, L" The character you entered is not allowed in the TextBox",
                L"Input validation", MB_OK | MB_ICONINFORMATION);
    keyAscii = 0;
}

void Form1::Text1_Change() {
    convert();
}

void Form1::Combo1_Click() {
    const LRESULT picked = SendMessageW(m_combo1, CB_GETCURSEL, 0, 0);
    if (picked != CB_ERR) {
        const LRESULT length = SendMessageW(m_combo1, CB_GETLBTEXTLEN, picked, 0);
        std::wstring name(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(m_combo1, CB_GETLBTEXT, picked, reinterpret_cast<LPARAM>(name.data()));
        name.resize(static_cast<size_t>(length));
        m_pickedScale = std::move(name);
    }
    convert();
    m_pickedScale.reset();
}

void Form1::Image1_Click() {
    DestroyWindow(m_window);
}

void Form1::Image4_Click() {
    m_about.show();
}

void Form1::convert() {
    try {
        conversion::ConvertInput(*this);
        showInputProblem({});
    } catch (const std::exception& error) {
        showInputProblem(describeProblem(error));
    }
}

void Form1::showInputProblem(const std::wstring& problem) {
    const bool invalid = !problem.empty();
    std::wstring tip = invalid ? problem : L"Please enter the value to convert";
    if (invalid == m_inputInvalid && tip == m_tip)
        return;
    m_inputInvalid = invalid;
    m_tip = std::move(tip);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_text1);
    tool.lpszText = m_tip.data();
    SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    describeInput();
    InvalidateRect(m_text1, nullptr, TRUE);
}

std::string Form1::inputText() const {
    return toUtf8(windowText(m_text1));
}

std::string Form1::scaleName() const {
    return toUtf8(m_pickedScale ? *m_pickedScale : windowText(m_combo1));
}

int Form1::pictureCount() const {
    return static_cast<int>(std::size(paintedPictures));
}

const wchar_t* Form1::pictureName(int index) const {
    return paintedPictures[index].name;
}

bool Form1::pictureIsButton(int index) const {
    return paintedPictures[index].button;
}

RECT Form1::pictureRect(int index) const {
    return pixelRect(paintedPictures[index].control);
}

void Form1::pressPicture(int index) {
    // Not at once: the press may close the window while the screen reader's call is still open.
    PostMessageW(m_window, pressPictureMessage, static_cast<WPARAM>(index), 0);
}

void Form1::setOutputText(conversion::OutputBox box, std::string_view text) {
    HWND output = m_text2;
    if (box == conversion::OutputBox::Celsius)
        output = m_text3;
    else if (box == conversion::OutputBox::Kelvin)
        output = m_text4;
    SetWindowTextW(output, toWide(text).c_str());
}

} // namespace win32
