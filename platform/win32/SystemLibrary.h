// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>
#include <string>

namespace platform::win32 {

// A function of a system DLL that only some moments need (a screen reader's first question, a
// picture to decode on a high-density screen), looked up when it is first called rather than
// imported, so that starting the program does not load the DLL. The DLL is taken from the system
// folder only, and stays loaded once loaded. nullptr when the system lacks it.
template <class Function> Function* systemFunction(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (!module) {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        module = LoadLibraryW((std::wstring(folder, length) + L'\\' + library).c_str());
    }
    return module
               ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

} // namespace platform::win32
