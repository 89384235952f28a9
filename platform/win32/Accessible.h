// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

struct IAccessible;

namespace win32 {

// The pictures a window paints itself, as a screen reader should see them.
class PaintedPictures {
public:
    virtual int pictureCount() const = 0;
    virtual const wchar_t* pictureName(int index) const = 0;
    // Buttons have a press action; the others are graphics.
    virtual bool pictureIsButton(int index) const = 0;
    virtual RECT pictureRect(int index) const = 0; // in the window's client area
    // The topmost picture at a client point, or -1.
    virtual int pictureIndexAt(POINT client) const = 0;
    // Asks for a press, which the window carries out later from its message loop.
    virtual void pressPicture(int index) = 0;

protected:
    ~PaintedPictures() = default;
};

// The window's client object for screen readers: the system's own (which knows the child
// windows) with the painted pictures added after them as simple children.
// Returns a new reference, or nullptr when the system has no client object to offer.
IAccessible* createClientAccessible(HWND window, PaintedPictures& pictures);

// Cuts the object returned above off from its window, which is going away: from then on every
// call fails as disconnected, for clients that still hold it. Does not release the caller's
// reference.
void disconnectClientAccessible(IAccessible* accessible);

} // namespace win32
