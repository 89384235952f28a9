// SPDX-License-Identifier: MIT
#include "platform/win32/Runtime.h"

#include "platform/win32/FormWindow.h"
#include "platform/win32/Text.h"

#include <algorithm>
#include <commctrl.h>

namespace platform::win32 {

namespace {

// A key that was already held when a message box came up repeats into it; the repeat must not
// answer the box, or a held key would show and close boxes in turn. Only a fresh press does.
LRESULT CALLBACK eatRepeats(int code, WPARAM w, LPARAM l) {
    const auto* message = reinterpret_cast<const MSG*>(l);
    const bool keyRepeat = (message->message == WM_KEYDOWN || message->message == WM_CHAR) &&
                           (message->lParam & (1L << 30)) != 0;
    if (code == MSGF_DIALOGBOX && keyRepeat)
        return TRUE;
    return CallNextHookEx(nullptr, code, w, l);
}

} // namespace

Runtime::Runtime(HINSTANCE instance, int showCommand)
    : m_instance(instance)
    , m_showCommand(showCommand) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = FormWindow::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hIcon = LoadIconW(instance, L"IDI_ICON1");
    windowClass.lpszClassName = FormWindow::className;
    RegisterClassExW(&windowClass);
    m_textFamily = chooseTextFamily(instance);
}

Runtime::~Runtime() {
    m_windows.clear();
    m_unloaded.clear();
}

Font Runtime::makeFont(int pixels) const {
    return Font(CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                            DEFAULT_PITCH, m_textFamily.c_str()));
}

int Runtime::firstShowCommand() {
    return std::exchange(m_showCommand, SW_SHOWNORMAL);
}

Window& Runtime::load(const WindowProperties& properties) {
    return *m_windows.emplace_back(std::make_unique<FormWindow>(*this, properties));
}

void Runtime::unload(Window& window) {
    const auto owned = std::find_if(m_windows.begin(), m_windows.end(),
                                    [&](const auto& loaded) { return loaded.get() == &window; });
    if (owned == m_windows.end())
        return;
    // The window may be in one of its own handlers: it is destroyed now and freed once the
    // message being handled is done with.
    m_unloaded.push_back(std::move(*owned));
    m_windows.erase(owned);
    m_unloaded.back()->unload();
}

void Runtime::messageBox(Window& owner, std::string_view text, std::string_view title) {
    HWND window = static_cast<FormWindow&>(owner).hwnd();
    Box box{window, toWide(text), toWide(title)};
    if (mayShowBox()) {
        showBox(box);
        showWaitingBoxes();
        return;
    }
    // Wakes the loop, which shows it once the box or the answer is over.
    if (m_boxes.wait(std::move(box)))
        PostMessageW(window, WM_NULL, 0, 0);
}

// Not inside another box, nor while another program waits for this one's answer: a message it
// sent (InSendMessage) or a screen reader's call.
bool Runtime::mayShowBox() const {
    return !m_boxes.showing() && m_answering == 0 && !InSendMessage();
}

void Runtime::showBox(const Box& box) {
    HHOOK repeats = SetWindowsHookExW(WH_MSGFILTER, eatRepeats, nullptr, GetCurrentThreadId());
    m_boxes.show(box, [&] {
        MessageBoxW(box.owner, box.text.c_str(), box.title.c_str(), MB_OK | MB_ICONINFORMATION);
    });
    if (repeats)
        UnhookWindowsHookEx(repeats);
}

void Runtime::showWaitingBoxes() {
    while (m_boxes.anyWaiting() && mayShowBox()) {
        const Box box = m_boxes.next();
        if (IsWindow(box.owner)) // its window may have gone meanwhile
            showBox(box);
    }
}

DoubleClick Runtime::doubleClick() const {
    return {static_cast<std::uint32_t>(GetDoubleClickTime()), GetSystemMetrics(SM_CXDOUBLECLK) / 2};
}

void Runtime::deliver(MSG& message) {
    // Tab and Shift+Tab move between the controls, as in a dialog; Escape is a command.
    HWND active = GetActiveWindow();
    if (!active || !IsDialogMessageW(active, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    freeUnloaded();
    // After a fault the next GetMessage ends the loop; no box may take its quit first.
    if (!m_guard.tripped())
        showWaitingBoxes();
}

int Runtime::run() {
    MSG message{};
    while (!m_quit && GetMessageW(&message, nullptr, 0, 0) > 0)
        deliver(message);
    m_guard.rethrow();
    return m_quit ? 0 : static_cast<int>(message.wParam);
}

void Runtime::quit() {
    m_quit = true;
    PostQuitMessage(0);
}

void Runtime::freeUnloaded() {
    m_unloaded.clear();
}

} // namespace platform::win32
