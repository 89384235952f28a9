// SPDX-License-Identifier: MIT
#pragma once

#include "design/pictures.h"
#include "platform/win32/Handles.h"
#include "resources/packed_format.h"

#include <windows.h>
#include <cstdint>
#include <optional>

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
    int top() const { return m_top; }
    int bottom() const { return m_top + m_height; }
    HDC dc() const { return m_dc.get(); }
    // Premultiplied pixels (rows of width pixels, the top one first, each 4 bytes in the order a
    // DIB section keeps them) laid over the band at (left, top) in the window, clipped to it.
    void blend(const std::uint32_t* pixels, int width, int height, int left, int top);
    void copyTo(HDC screen) const;

private:
    int m_width, m_height;
    int m_top = 0;
    std::uint32_t* m_pixels = nullptr;
    BitmapHandle m_bitmap;
    MemoryDC m_dc;
};

// Rows [first, end) of a packed picture inflated into `rows`, only the bands that hold them; false
// when its data is broken.
bool inflateRows(const resources::packedpicture::Picture& picture, int first, int end,
                 std::uint32_t* rows);

// A picture of the program, as its resources hold it: packed (resources/packed_format.h), so that
// painting a band of a window inflates only the rows that band shows, and no whole copy is kept.
class Bitmap {
public:
    Bitmap() = default;

    // The @2x picture when `twice` and the resources hold it at that size, otherwise the 1x one;
    // an empty bitmap when there is none.
    static Bitmap load(const design::pictures::Picture& picture, bool twice);

    // Lays the part of the picture in the canvas's band over it, the whole picture scaled to the
    // rectangle (smoothly, Scaler.h; at its own size pixel for pixel).
    void draw(Canvas& canvas, const RECT& where) const;
    // Whether every pixel is opaque, so that nothing beneath it shows.
    bool isOpaque() const;

private:
    std::optional<resources::packedpicture::Picture> m_picture; // mapped for the program's life
};

} // namespace platform::win32
