// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace win32 {

// A picture decoded once into a 32-bit premultiplied DIB section, ready for AlphaBlend.
class Bitmap {
public:
    Bitmap() = default;
    // Decodes the PNG held in the RCDATA resource `id`; an empty bitmap if that fails.
    explicit Bitmap(int id);
    ~Bitmap();
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    explicit operator bool() const { return m_bitmap != nullptr; }

    // Draws the whole picture into the rectangle, blending by its alpha.
    void draw(HDC target, const RECT& where) const;

private:
    HBITMAP m_bitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
};

} // namespace win32
