// SPDX-License-Identifier: MIT
#pragma once

#include "design/pictures.h"
#include "platform/win32/Handles.h"

#include <windows.h>

namespace platform::win32 {

// A picture as a 32-bit premultiplied top-down DIB section, ready for AlphaBlend.
class Bitmap {
public:
    Bitmap() = default;

    // The picture from the program's resources: the 1x one is stored as the very pixels a DIB
    // section holds and needs no decoder; the @2x one is a PNG, decoded by the system only on a
    // high-density screen, through COM, which the caller has started. An empty bitmap when it
    // cannot be had.
    static Bitmap load(const design::pictures::Picture& picture, bool twice);

    explicit operator bool() const { return static_cast<bool>(m_bitmap); }

    // Draws the whole picture into the rectangle, scaled to it, blending by its alpha.
    void draw(HDC target, const RECT& where) const;

private:
    static Bitmap fromRawPixels(const BYTE* bytes, DWORD size);
    static Bitmap fromPng(const BYTE* bytes, DWORD size);
    // A DIB section of that size; its pixels, top row first, in `pixels`.
    static Bitmap make(int width, int height, void** pixels);

    BitmapHandle m_bitmap;
    int m_width = 0;
    int m_height = 0;
};

} // namespace platform::win32
