// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

// The main window's designed layout, shared by every front end. Plain C++: no toolkit.
namespace design {

struct Placement {
    std::string_view control;
    int left, top, width, height; // twips
};

// In twips, from the top of the stacking order down (Image1 lies above Image3 and takes the
// clicks there). Positions are relative to the client area; the banners overhang it and are
// clipped. Nothing moves or resizes with the window.
inline constexpr std::array<Placement, 8> mainWindowLayout{{
    {"Text4", 3960, 2640, 3975, 375},
    {"Combo1", 6480, 1080, 1455, 390},
    {"Text3", 3960, 2160, 3975, 405},
    {"Text2", 3960, 1680, 3975, 405},
    {"Text1", 3960, 1080, 2535, 405},
    {"Image1", 8280, 0, 330, 270},
    {"Image4", -840, 3360, 10560, 1005},
    {"Image3", -1320, 0, 11160, 1005},
}};
inline constexpr int mainClientWidthTwips = 8580;
inline constexpr int mainClientHeightTwips = 4305;

// The About window's client area, in pixels: the card's right column and bottom rows fall
// outside it.
inline constexpr int aboutClientWidth = 542;
inline constexpr int aboutClientHeight = 290;

// A pixel is 15 twips at 96 dpi, the density the layout was drawn for.
inline constexpr int twipsPerPixel = 15;
constexpr int toPixels(int twips) {
    return twips / twipsPerPixel;
}
constexpr bool wholePixels(const Placement& p) {
    return p.left % twipsPerPixel == 0 && p.top % twipsPerPixel == 0 &&
           p.width % twipsPerPixel == 0 && p.height % twipsPerPixel == 0;
}
static_assert(std::all_of(mainWindowLayout.begin(), mainWindowLayout.end(), wholePixels));
static_assert(mainClientWidthTwips % twipsPerPixel == 0 &&
              mainClientHeightTwips % twipsPerPixel == 0);

constexpr const Placement* findPlacement(std::string_view control) {
    for (const Placement& p : mainWindowLayout)
        if (p.control == control)
            return &p;
    return nullptr;
}

// 12 pt and 9.75 pt at 96 dpi; pixel sizes keep the look independent of the screen's density.
inline constexpr int textBoxFontPixels = 16;
inline constexpr int scaleFontPixels = 13;

struct Rgb {
    int red, green, blue;
};
inline constexpr Rgb textBoxColour{192, 0, 0};
inline constexpr Rgb scaleColour{128, 0, 0};
inline constexpr Rgb invalidInputBase{255, 224, 224};

} // namespace design
