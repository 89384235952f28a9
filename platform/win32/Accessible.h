// SPDX-License-Identifier: MIT
#pragma once

#include "platform/win32/Com.h"

#include <windows.h>
#include <optional>
#include <string>
#include <string_view>

struct IAccessible;

namespace platform::win32 {

// What the program tells a screen reader beyond the object the system makes for a window or a
// control: its name and description, a press of the object itself, and the pictures a window
// paints, as simple children after the system's ones (the child windows).
class AccessibleExtras {
public:
    virtual std::wstring accessibleName() const { return {}; } // empty: the system's
    virtual std::wstring accessibleDescription() const { return {}; }
    virtual bool isPressable() const { return false; }
    // Carried out later from the message loop: a press may unload the window while the screen
    // reader's call is still open.
    virtual void press() {}

    virtual int pictureCount() const { return 0; }
    virtual std::wstring pictureName(int) const { return {}; }
    virtual bool pictureIsButton(int) const { return false; }
    // In the client area: the part that shows.
    virtual RECT pictureRect(int) const { return {}; }
    // The topmost picture at a client point, or -1.
    virtual int pictureAt(POINT) const { return -1; }
    virtual void pressPicture(int) {}
    // A screen reader sets the object's value: S_OK, or why not.
    virtual HRESULT setValue(std::wstring_view) { return DISP_E_MEMBERNOTFOUND; }

protected:
    ~AccessibleExtras() = default;
};

// The object a window or control gives a screen reader: made on the first WM_GETOBJECT, and cut
// off from the window when it goes, since a screen reader may hold it longer.
class AccessibleObject {
public:
    explicit AccessibleObject(AccessibleExtras& extras)
        : m_extras(extras) {}
    ~AccessibleObject();
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    // The answer to WM_GETOBJECT for the client object; nothing for other objects or when COM or
    // the system's object cannot be had.
    std::optional<LRESULT> answer(HWND window, WPARAM w, LPARAM l, ComApartment& com);
    // The window goes: every later call on the object fails as disconnected, and COM lets go of
    // the clients' proxies.
    void disconnect();

private:
    AccessibleExtras& m_extras;
    IAccessible* m_object = nullptr;
};

} // namespace platform::win32
