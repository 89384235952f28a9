// SPDX-License-Identifier: MIT
// The floor of the Windows start-up benchmark (bench/startup_wine.py): a frameless window of the
// main window's client size, centred on the work area, painted white, with nothing in it. No
// manifest, no common controls, no fonts, no COM: only what any window costs.
#include <windows.h>

namespace {

constexpr int clientWidth = 572;
constexpr int clientHeight = 287;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"VelmoraMinimalWindow";
    RegisterClassExW(&windowClass);

    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, windowClass.lpszClassName, L"Minimal window",
                                  WS_POPUP | WS_SYSMENU,
                                  area.left + (area.right - area.left - clientWidth) / 2,
                                  area.top + (area.bottom - area.top - clientHeight) / 2,
                                  clientWidth, clientHeight, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOW);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
