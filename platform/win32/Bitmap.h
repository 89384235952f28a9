// SPDX-License-Identifier: MIT
#pragma once

#include "design/pictures.h"
#include "platform/win32/Handles.h"

#include <windows.h>
#include <cstdint>

namespace platform::win32 {

// A band of a window's picture while it is painted, off the screen: a 32-bit DIB section that the
// layers are blended into and that then goes to the screen in one copy, so that they never
// flicker. A band at a time keeps the memory this takes small; its device context draws in the
// window's coordinates.
class Canvas {
public:
    Canvas(HDC screen, int width, int height);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // The band from the window's row `top` down.
    void moveTo(int top);
    HDC dc() const { return m_dc.get(); }
    // Premultiplied pixels (rows of width pixels, the top one first, each 4 bytes in the order a
    // DIB section keeps them) laid over the band at (left, top) in the window, clipped to it.
    void blend(const BYTE* pixels, int width, int height, int left, int top);
    void copyTo(HDC screen) const;

private:
    int m_width, m_height;
    int m_top = 0;
    std::uint32_t* m_pixels = nullptr;
    BitmapHandle m_bitmap;
    MemoryDC m_dc;
};

// A picture of the program, as its resources hold it. The 1x one is stored as the very pixels a
// DIB section holds: it is drawn from the program's own bytes, with no decoder and no copy. The
// @2x one is a PNG, decoded by the system on a high-density screen only.
class Bitmap {
public:
    Bitmap() = default;

    // The @2x one needs COM, which the caller has started. An empty bitmap when the picture
    // cannot be had.
    static Bitmap load(const design::pictures::Picture& picture, bool twice);

    // Draws the whole picture into the rectangle: at its own size for the 1x one, scaled to the
    // rectangle for the @2x one.
    void draw(Canvas& canvas, const RECT& where) const;
    // Whether every pixel is opaque, so that nothing beneath it shows.
    bool isOpaque() const { return m_opaque; }

private:
    static Bitmap fromRawPixels(const BYTE* bytes, DWORD size);
    static Bitmap fromPng(const BYTE* bytes, DWORD size);

    int m_width = 0;
    int m_height = 0;
    bool m_opaque = false;
    const BYTE* m_raw = nullptr; // the 1x pixels, in the program's resources
    BitmapHandle m_decoded;      // the @2x picture
};

} // namespace platform::win32
