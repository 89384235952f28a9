// SPDX-License-Identifier: MIT
#pragma once

#include "platform/win32/Accessible.h"

#include <windows.h>
#include <commctrl.h>

namespace platform::win32 {

class FormWindow;

// A child control over its HWND, subclassed (SetWindowSubclass) so that it handles its own
// messages, and given the notifications Windows sends its parent (WM_COMMAND, WM_CTLCOLOR*),
// which the parent reflects to it. Destroyed with its window.
class Control {
public:
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return m_window; }

    // The control a notification is about: the one over `window`, or over its parent (a combo
    // box's own edit field); nullptr when there is none.
    static Control* of(HWND window);

    // A notification its parent got about it, as the parent got it.
    virtual LRESULT notified(UINT message, WPARAM w, LPARAM l) = 0;
    // What the control tells a screen reader beyond the system's own object; none by default.
    virtual AccessibleObject* accessible() { return nullptr; }
    // Puts the control at its place for the density, in the fonts made for it.
    virtual void scale(int dpi) = 0;

protected:
    // Makes the window; its parent is the form's.
    Control(FormWindow& form, const wchar_t* className, DWORD style, DWORD exStyle);

    FormWindow& form() const { return m_form; }
    // What the control does with a message of its own; by default what it would do anyway.
    virtual LRESULT handle(UINT message, WPARAM w, LPARAM l) { return base(message, w, l); }
    LRESULT base(UINT message, WPARAM w, LPARAM l) {
        return DefSubclassProc(m_window, message, w, l);
    }

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                         DWORD_PTR self);

    FormWindow& m_form;
    HWND m_window;
};

} // namespace platform::win32
