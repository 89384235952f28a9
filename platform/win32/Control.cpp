// SPDX-License-Identifier: MIT
#include "platform/win32/Control.h"

#include "platform/win32/FormWindow.h"
#include "platform/win32/Runtime.h"

#include <commctrl.h>
#include <system_error>

namespace platform::win32 {

namespace {
constexpr UINT_PTR subclassId = 1;
// Marks a control's window with its object. GetWindowSubclass would find the same, but 64-bit
// comctl32 exports it by ordinal only.
constexpr const wchar_t* controlProperty = L"Velmora.Control";
} // namespace

Control::Control(FormWindow& form, const wchar_t* className, DWORD style, DWORD exStyle)
    : m_form(form)
    , m_window(CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                               form.hwnd(), nullptr, form.instance(), nullptr)) {
    if (!m_window)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "a control of the window");
    SetWindowSubclass(m_window, subclassProc, subclassId, reinterpret_cast<DWORD_PTR>(this));
    SetPropW(m_window, controlProperty, this);
}

Control* Control::of(HWND window) {
    for (HWND candidate : {window, window ? GetParent(window) : nullptr}) {
        if (void* self = candidate ? GetPropW(candidate, controlProperty) : nullptr)
            return static_cast<Control*>(self);
    }
    return nullptr;
}

LRESULT CALLBACK Control::subclassProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                       DWORD_PTR self) {
    auto* control = reinterpret_cast<Control*>(self);
    AccessibleObject* object = control->accessible();
    if (message == WM_NCDESTROY) {
        // The window goes; the object stays until its form is freed, a screen reader's object
        // is cut off now.
        if (object)
            object->disconnect();
        RemovePropW(window, controlProperty);
        RemoveWindowSubclass(window, subclassProc, subclassId);
        return DefSubclassProc(window, message, w, l);
    }
    const auto handled = [&]() -> LRESULT {
        if (message == WM_GETOBJECT && object) {
            if (const auto answer = object->answer(window, w, l, control->form().com()))
                return *answer;
        }
        return control->handle(message, w, l);
    };
    return control->form().runtime().guard()(
        handled, [&] { return DefSubclassProc(window, message, w, l); });
}

} // namespace platform::win32
