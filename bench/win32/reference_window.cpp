// SPDX-License-Identifier: MIT
// The same-controls yardstick of the Windows start-up benchmark (bench/startup_wine.py), and the
// plain edit of the Windows input benchmark (bench/input_wine.py): the main window's controls and
// nothing else. A frameless window of the main window's client size, centred, with common
// controls 6 (manifest), the four edits (the first takes input, the other three are read-only),
// the drop-down scale box with its three entries, a tooltip on the first edit, the program's fonts
// at its sizes, and the background painted from raw 32-bit pixels. No COM, no image decoder, no
// screen reader support, no conversion.
#include "conversion/convert_input.h"
#include "design/layout.h"
#include "design/texts.h"
#include "platform/win32/Text.h"
#include "resources/raw_format.h"

#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr wchar_t windowClassName[] = L"VelmoraReferenceWindow";
// The rendered background (resources/raw_format.h), copied into a DIB section for AlphaBlend.
struct Background {
    HBITMAP bitmap = nullptr;
    int width = 0, height = 0;
};

Background loadBackground(HINSTANCE instance) {
    namespace raw = resources::rawpicture;
    HRSRC found = FindResourceW(instance, L"BACKGROUND_PIXELS", MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found)
        return {};
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
    const std::optional<raw::Header> header =
        raw::readHeader(bytes, SizeofResource(instance, found));
    if (!header)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(header->width);
    info.bmiHeader.biHeight = -static_cast<LONG>(header->height); // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    Background background;
    background.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!background.bitmap)
        return {};
    std::memcpy(pixels, bytes + sizeof(raw::Header),
                std::size_t(header->width) * header->height * 4);
    background.width = static_cast<int>(header->width);
    background.height = static_cast<int>(header->height);
    return background;
}

HFONT makeFont(int pixels, const wchar_t* family) {
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                       family);
}

RECT placed(const char* control) {
    const design::Placement* place = design::findPlacement(control);
    const int left = design::toPixels(place->left);
    const int top = design::toPixels(place->top);
    return {left, top, left + design::toPixels(place->width),
            top + design::toPixels(place->height)};
}

HWND makeBox(HWND parent, HINSTANCE instance, const char* control, bool readOnly, HFONT font) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
    if (readOnly)
        style |= ES_READONLY;
    const RECT r = placed(control);
    HWND box =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, parent, nullptr, instance, nullptr);
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0); // no length limit, as in the program
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return box;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    const auto* background =
        reinterpret_cast<const Background*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (background && background->bitmap) {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, background->bitmap);
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(dc, 0, 0, background->width, background->height, source, 0, 0,
                       background->width, background->height, blend);
            SelectObject(source, old);
            DeleteDC(source);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, w, l);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // As the program chooses it.
    const std::wstring familyName = platform::win32::chooseTextFamily(instance);
    const wchar_t* family = familyName.c_str();
    const Background background = loadBackground(instance);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.lpszClassName = windowClassName;
    RegisterClassExW(&windowClass);

    const int width = design::toPixels(design::mainClientWidthTwips);
    const int height = design::toPixels(design::mainClientHeightTwips);
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    HWND window =
        CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, windowClassName, L"Reference window",
                        WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                        area.left + (area.right - area.left - width) / 2,
                        area.top + (area.bottom - area.top - height) / 2, width, height, nullptr,
                        nullptr, instance, const_cast<Background*>(&background));
    if (!window)
        return 1;

    HFONT textFont = makeFont(design::textBoxFontPixels, family);
    HFONT scaleFont = makeFont(design::scaleFontPixels, family);
    // In the program's tab order: the input, two outputs, the scale box, the third output.
    HWND input = makeBox(window, instance, "Text1", false, textFont);
    makeBox(window, instance, "Text2", true, textFont);
    makeBox(window, instance, "Text3", true, textFont);
    const RECT r = placed("Combo1");
    // A drop-down combo's window height includes its list.
    HWND scale = CreateWindowExW(
        0, L"COMBOBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, r.left,
        r.top, r.right - r.left, 200, window, nullptr, instance, nullptr);
    SendMessageW(scale, WM_SETFONT, reinterpret_cast<WPARAM>(scaleFont), FALSE);
    SendMessageW(scale, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), r.bottom - r.top - 6);
    using conversion::OutputBox;
    for (OutputBox box : {OutputBox::Celsius, OutputBox::Fahrenheit, OutputBox::Kelvin}) {
        const std::wstring name = platform::win32::toWide(conversion::ScaleName(box));
        SendMessageW(scale, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(scale, CB_SETCURSEL, 0, 0);
    makeBox(window, instance, "Text4", true, textFont);

    HWND tooltip = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    std::wstring tip = platform::win32::toWide(design::text::inputTip);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(input);
    tool.lpszText = tip.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    ShowWindow(window, SW_SHOW);
    SetFocus(input);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(textFont);
    DeleteObject(scaleFont);
    if (background.bitmap)
        DeleteObject(background.bitmap);
    return static_cast<int>(message.wParam);
}
