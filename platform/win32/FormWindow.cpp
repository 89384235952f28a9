// SPDX-License-Identifier: MIT
#include "platform/win32/FormWindow.h"

#include "platform/win32/ComboBox.h"
#include "platform/win32/Runtime.h"
#include "platform/win32/Text.h"
#include "platform/win32/TextBox.h"

#include <cstdlib>
#include <system_error>
#include <windowsx.h>

namespace platform::win32 {

namespace {

// Posted by a screen reader's press, carried out from the message loop.
constexpr UINT pressPictureMessage = WM_APP + 1; // wParam: the picture
constexpr UINT pressWindowMessage = WM_APP + 2;

// GetDpiForWindow came with Windows 10 (1607); before it, the screen's density is the system's.
int dpiOf(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), "GetDpiForWindow")));
    UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    if (dpi == 0)
        dpi = static_cast<UINT>(GetDeviceCaps(ScreenDC().get(), LOGPIXELSX));
    return dpi ? static_cast<int>(dpi) : 96;
}

// Where a mouse message of the window happened, on the screen, and when.
Click::Press pressOfMessage(HWND window, LPARAM l) {
    POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    ClientToScreen(window, &at);
    return {static_cast<std::uint32_t>(GetMessageTime()), at.x, at.y};
}

} // namespace

FormWindow::PaintedPicture::PaintedPicture(const PictureProperties& properties)
    : picture(properties.picture)
    , place(properties.place)
    , name(toWide(properties.accessibleName))
    , button(properties.button) {}

FormWindow::FormWindow(Runtime& runtime, const WindowProperties& properties)
    : m_runtime(runtime)
    , m_width(properties.width)
    , m_height(properties.height)
    , m_backgroundPicture(properties.background)
    , m_name(toWide(properties.accessibleName))
    , m_description(toWide(properties.description))
    , m_escapeDismisses(properties.escapeDismisses)
    , m_pressable(properties.pressable) {
    // The procedure learns of this object from the creation parameter, before this returns.
    CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, className,
                    toWide(properties.title).c_str(),
                    WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr,
                    nullptr, runtime.instance(), this);
    if (!m_window)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "a window");
    m_dpi = dpiOf(m_window);
    loadPictures();
}

FormWindow::~FormWindow() {
    unload();
}

HINSTANCE FormWindow::instance() const {
    return m_runtime.instance();
}

ComApartment& FormWindow::com() const {
    return m_runtime.com();
}

Tooltip& FormWindow::tooltip() {
    if (!m_tooltip)
        m_tooltip.emplace(m_window, instance());
    return *m_tooltip;
}

HFONT FormWindow::textFont() {
    if (!m_textFont)
        m_textFont = m_runtime.makeFont(scaled(design::textBoxFontPixels));
    return m_textFont.get();
}

HFONT FormWindow::scaleFont() {
    if (!m_scaleFont)
        m_scaleFont = m_runtime.makeFont(scaled(design::scaleFontPixels));
    return m_scaleFont.get();
}

RECT FormWindow::pixelRect(const design::Placement& place, int dpi) const {
    const auto pixels = [dpi](int twips) {
        return MulDiv(design::toPixels(twips), dpi, 96);
    };
    const int left = pixels(place.left), top = pixels(place.top);
    return {left, top, left + pixels(place.width), top + pixels(place.height)};
}

platform::TextBox& FormWindow::addTextBox(const TextBoxProperties& properties) {
    auto& box = static_cast<TextBox&>(
        *m_controls.emplace_back(std::make_unique<TextBox>(*this, properties)));
    box.scale(m_dpi);
    return box;
}

platform::ComboBox& FormWindow::addComboBox(const ComboBoxProperties& properties) {
    auto& combo = static_cast<ComboBox&>(
        *m_controls.emplace_back(std::make_unique<ComboBox>(*this, properties)));
    combo.scale(m_dpi);
    return combo;
}

platform::Picture& FormWindow::addPicture(const PictureProperties& properties) {
    PaintedPicture& picture =
        *m_pictures.emplace_back(std::make_unique<PaintedPicture>(properties));
    picture.bitmap = Bitmap::load(picture.picture, wantsDoublePictures(m_dpi / 96.0));
    return picture;
}

void FormWindow::show() {
    if (!m_window)
        return;
    if (m_shown) {
        if (IsIconic(m_window))
            ShowWindow(m_window, SW_RESTORE);
        SetForegroundWindow(m_window);
        return;
    }
    m_shown = true;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = scaled(m_width), height = scaled(m_height);
    const auto [left, top] = centredOrigin(
        {area.left, area.top, area.right - area.left, area.bottom - area.top}, width, height);
    SetWindowPos(m_window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The layout is fixed: a start maximised (a shortcut's Run: Maximised, start /max) shows the
    // window as it is.
    const int command = m_runtime.firstShowCommand();
    ShowWindow(m_window, command == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : command);
    if (!m_controls.empty())
        SetFocus(m_controls.front()->hwnd());
}

void FormWindow::unload() {
    if (HWND window = std::exchange(m_window, nullptr))
        DestroyWindow(window);
}

LRESULT CALLBACK FormWindow::windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self)
            self->m_accessible.disconnect(); // a screen reader may hold it longer
    }
    const auto otherwise = [&] {
        return DefWindowProcW(window, message, w, l);
    };
    if (!self || self->m_window != window)
        return otherwise();
    return self->m_runtime.guard()([&] { return self->handle(message, w, l); }, otherwise);
}

LRESULT FormWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // all of it is painted, off the screen first
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
    case WM_LBUTTONUP:
        mouse(message, w, l);
        return 0;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: // read-only edits ask with this one
        return reflect(message, w, l);
    case WM_CLOSE: // Alt+F4, the system menu, the task bar: the program decides
        command(Command::Close);
        return 0;
    case WM_HELP:
        command(Command::Help);
        return TRUE;
    case WM_ACTIVATE:
        activated(w);
        return 0;
    case WM_DPICHANGED:
        rescale(LOWORD(w), reinterpret_cast<const RECT*>(l));
        return 0;
    // Nothing grows with the window, so it is never maximised: the command does nothing, a
    // maximised window keeps its size, and one shown maximised all the same (the first show of a
    // program started maximised) is shown as it is.
    case WM_SYSCOMMAND:
        if ((w & 0xFFF0) == SC_MAXIMIZE)
            return 0;
        break;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(l)->ptMaxSize = {scaled(m_width), scaled(m_height)};
        return 0;
    case WM_SIZE:
        if (w == SIZE_MAXIMIZED)
            ShowWindow(m_window, SW_RESTORE);
        break;
    case WM_GETOBJECT:
        if (const auto answer = m_accessible.answer(m_window, w, l, com()))
            return *answer;
        break;
    case pressPictureMessage:
    case pressWindowMessage:
        pressedByScreenReader(message, w);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, w, l);
}

// The platform's window colour where the pictures leave a gap, the background, then the pictures
// from the bottom up.
void FormWindow::paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_window, &paint);
    constexpr int bandRows = 32;
    const int width = scaled(m_width);
    Canvas canvas(dc, width, bandRows);
    for (int top = paint.rcPaint.top; top < paint.rcPaint.bottom; top += bandRows) {
        canvas.moveTo(top);
        const RECT band{0, top, width, top + bandRows};
        // From the uppermost layer that hides the whole band up: what it hides is not drawn, nor
        // are its pixels read.
        std::size_t first = m_pictures.size();
        while (first > 0 && !hides(*m_pictures[first - 1], band))
            --first;
        if (first == 0) {
            FillRect(canvas.dc(), &band, GetSysColorBrush(COLOR_BTNFACE));
            m_background.draw(canvas, {0, 0, scaled(m_backgroundPicture.width),
                                       scaled(m_backgroundPicture.height)});
        }
        for (std::size_t i = first > 0 ? first - 1 : 0; i < m_pictures.size(); ++i)
            m_pictures[i]->bitmap.draw(canvas, drawnAt(*m_pictures[i]));
        canvas.copyTo(dc);
    }
    EndPaint(m_window, &paint);
}

RECT FormWindow::drawnAt(const PaintedPicture& picture) const {
    const RECT r = pixelRect(picture.place, m_dpi);
    return {r.left, r.top, r.left + scaled(picture.picture.width),
            r.top + scaled(picture.picture.height)};
}

bool FormWindow::hides(const PaintedPicture& picture, const RECT& band) const {
    const RECT r = drawnAt(picture);
    return picture.bitmap.isOpaque() && r.left <= band.left && r.right >= band.right &&
           r.top <= band.top && r.bottom >= band.bottom;
}

int FormWindow::pictureAt(POINT client, bool buttonsOnly) const {
    for (int i = pictureCount() - 1; i >= 0; --i) { // the upper one first
        if (buttonsOnly && !m_pictures[i]->button)
            continue; // a decoration lets the mouse through
        const RECT r = pixelRect(m_pictures[i]->place, m_dpi);
        if (PtInRect(&r, client))
            return i;
    }
    return -1;
}

void FormWindow::mouse(UINT message, WPARAM w, LPARAM l) {
    if (message == WM_LBUTTONDOWN)
        pressed(l);
    else if (message == WM_LBUTTONUP)
        released(l);
    else
        followDrag(message, w, l);
}

void FormWindow::pressedByScreenReader(UINT message, WPARAM w) {
    if (message == pressPictureMessage)
        clickPicture(static_cast<int>(w), {});
    else if (onClick)
        onClick({});
}

// A press on a button picture belongs to it; elsewhere it may be a click on the window or the
// start of a drag that moves it.
void FormWindow::pressed(LPARAM l) {
    const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    m_press = pressOfMessage(m_window, l);
    m_pressedPicture = pictureAt(at, true);
    m_tracking = true;
    SetCapture(m_window);
}

// Past the drag threshold the press is no click: the system moves the window from there, as by a
// title bar (its snapping, Escape to cancel), until the button is released.
void FormWindow::followDrag(UINT message, WPARAM w, LPARAM l) {
    // Another window took the mouse (a message box, the task switcher): the press is over.
    if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(l) != m_window)
        m_tracking = false;
    if (message != WM_MOUSEMOVE || !m_tracking || !(w & MK_LBUTTON))
        return;
    const Click::Press now = pressOfMessage(m_window, l);
    const int dx = now.x - m_press.x, dy = now.y - m_press.y;
    if (abs(dx) < GetSystemMetrics(SM_CXDRAG) && abs(dy) < GetSystemMetrics(SM_CYDRAG))
        return;
    m_tracking = false;
    ReleaseCapture();
    // A press on a button picture that turns into a drag is no click, wherever it ends.
    if (std::exchange(m_pressedPicture, -1) >= 0)
        return;
    constexpr WPARAM moveByCaption = SC_MOVE | HTCAPTION;
    SendMessageW(m_window, WM_SYSCOMMAND, moveByCaption, MAKELPARAM(m_press.x, m_press.y));
}

void FormWindow::released(LPARAM l) {
    if (!std::exchange(m_tracking, false))
        return;
    if (GetCapture() == m_window)
        ReleaseCapture();
    const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    const int picture = std::exchange(m_pressedPicture, -1);
    if (picture >= 0) {
        if (pictureAt(at, true) == picture)
            clickPicture(picture, {m_press});
        return;
    }
    RECT client;
    GetClientRect(m_window, &client);
    if (PtInRect(&client, at) && onClick)
        onClick({m_press});
}

void FormWindow::clickPicture(int index, const Click& click) {
    if (m_window && index >= 0 && index < pictureCount() && m_pictures[index]->button &&
        m_pictures[index]->onClick)
        m_pictures[index]->onClick(click);
}

// Windows tells the parent about its children; each child is told in turn.
LRESULT FormWindow::reflect(UINT message, WPARAM w, LPARAM l) {
    if (Control* control = Control::of(reinterpret_cast<HWND>(l)))
        return control->notified(message, w, l);
    // A dialog key with no control behind it (IsDialogMessage): Escape.
    if (message == WM_COMMAND && l == 0 && LOWORD(w) == IDCANCEL && m_escapeDismisses)
        command(Command::Dismiss);
    return message == WM_COMMAND ? 0 : DefWindowProcW(m_window, message, w, l);
}

void FormWindow::command(Command command) {
    if (m_window && onCommand)
        onCommand(command);
}

// Back to the control that had the focus, as a dialog does.
void FormWindow::activated(WPARAM w) {
    if (LOWORD(w) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(m_window, focus))
            m_lastFocus = focus;
    } else if (m_lastFocus && IsWindow(m_lastFocus)) {
        SetFocus(m_lastFocus);
    } else if (!m_controls.empty()) {
        SetFocus(m_controls.front()->hwnd());
    }
}

// Moved to a screen of another density: drawn anew at it, in the rectangle Windows suggests.
void FormWindow::rescale(int dpi, const RECT* suggested) {
    m_dpi = dpi;
    m_textFont = {};
    m_scaleFont = {};
    loadPictures();
    for (const auto& control : m_controls)
        control->scale(dpi);
    SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_window, nullptr, FALSE);
}

void FormWindow::loadPictures() {
    const bool twice = wantsDoublePictures(m_dpi / 96.0);
    m_background = Bitmap::load(m_backgroundPicture, twice);
    for (const auto& picture : m_pictures)
        picture->bitmap = Bitmap::load(picture->picture, twice);
}

RECT FormWindow::pictureRect(int index) const {
    const RECT r = pixelRect(m_pictures[index]->place, m_dpi);
    const Rect shown = visiblePart({r.left, r.top, r.right - r.left, r.bottom - r.top},
                                   scaled(m_width), scaled(m_height));
    return {shown.left, shown.top, shown.left + shown.width, shown.top + shown.height};
}

// Without a window a post would go to the thread, to no window.
void FormWindow::press() {
    if (m_window)
        PostMessageW(m_window, pressWindowMessage, 0, 0);
}

void FormWindow::pressPicture(int index) {
    if (m_window)
        PostMessageW(m_window, pressPictureMessage, static_cast<WPARAM>(index), 0);
}

} // namespace platform::win32
