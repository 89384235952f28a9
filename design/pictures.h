// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>

// The rendered artwork every front end shows: file names under the artwork folder's
// "pictures/", each with an "@2x" sibling of twice the size for 200 % screens.
// The build reads the names and the icon sizes from this file (design/pictures.cmake), so keep
// each on a line of its own, in the form below.
namespace design::pictures {

struct Picture {
    const char* name;
    int width, height; // at 1x
};

inline constexpr Picture background{"background", 704, 304};   // main window
inline constexpr Picture titleBanner{"title-banner", 744, 67}; // Image3
inline constexpr Picture closeButton{"close", 22, 18};         // Image1
inline constexpr Picture aboutBanner{"about-banner", 704, 67}; // Image4
inline constexpr Picture aboutCard{"about-card", 541, 332};    // About window

inline constexpr std::array<Picture, 5> all{background, titleBanner, closeButton, aboutBanner,
                                            aboutCard};

// The square sizes of the program icon; the .ico holds these and more.
inline constexpr std::array<int, 7> iconSizes{16, 24, 32, 48, 64, 128, 256};
// The sizes a window carries, those a window manager draws its icon at; the larger ones come
// from the icon theme.
inline constexpr std::array<int, 5> windowIconSizes{16, 24, 32, 48, 64};
static_assert(std::all_of(windowIconSizes.begin(), windowIconSizes.end(), [](int size) {
    return std::find(iconSizes.begin(), iconSizes.end(), size) != iconSizes.end();
}));

} // namespace design::pictures
