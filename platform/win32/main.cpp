// SPDX-License-Identifier: MIT
// The program on Windows: the main window over the shared conversion engine.
#include "win32/Forms.h"
#include "win32/resource_ids.h"

#include <commctrl.h>
#include <objbase.h>
#include <windows.h>

namespace {

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool familyInstalled(const wchar_t* family) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, family, LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// "Comic Sans MS" where the system has it, otherwise the bundled Comic Neue, registered for this
// process only.
std::wstring textFamily(HINSTANCE instance) {
    if (familyInstalled(L"Comic Sans MS"))
        return L"Comic Sans MS";
    if (HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(VELMORA_BUNDLED_FONT),
                                    MAKEINTRESOURCEW(10))) { // RT_RCDATA
        DWORD installed = 0;
        AddFontMemResourceEx(LockResource(LoadResource(instance, found)),
                             SizeofResource(instance, found), nullptr, &installed);
    }
    return L"Comic Neue";
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    win32::Program program;
    program.instance = instance;
    program.textFamily = textFamily(instance);
    int exitCode = 0;
    {
        win32::Form2 about(program);
        win32::Form1 main(program, about);
        if (program.openWindows > 0) {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                // Tab and Shift+Tab move between the controls, as in a dialog.
                HWND active = GetActiveWindow();
                if (active && IsDialogMessageW(active, &message))
                    continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            exitCode = static_cast<int>(message.wParam);
        } else {
            exitCode = 1;
        }
    }
    CoUninitialize();
    return exitCode;
}
