// SPDX-License-Identifier: MIT
#pragma once

#include "design/pictures.h"

#include <QIcon>
#include <QString>
#include <array>

// Pictures, icon and font of the program, all embedded in the binary by the build.
namespace resources {

// "Comic Sans MS" where the system has it, otherwise Comic Neue: the installed one where there
// is one, else the bundled copy, registered on first use.
QString textFontFamily();

// The icon of the program's windows, in design::pictures::windowIconSizes: the sizes a window
// manager draws it at. The larger ones would only add to what every start sends the X server.
QIcon windowIcon();

// A resource path, built at compile time.
struct Path {
    char text[64];
};
constexpr Path resourcePath(const char* folder, const char* name, const char* suffix) {
    Path path{};
    int length = 0;
    for (const char* part : {":/", folder, "/", name, suffix})
        for (; *part; ++part)
            path.text[length++] = *part; // overflowing the buffer does not compile
    return path;
}

// Resource paths of the pictures at 1x, raw pixels (resources/RawPicture.h). Each has an "@2x"
// PNG sibling for high-density screens.
namespace picture {
constexpr Path pathOf(const design::pictures::Picture& picture) {
    return resourcePath("pictures", picture.name, ".pixels");
}
namespace path {
inline constexpr Path background = pathOf(design::pictures::background);
inline constexpr Path titleBanner = pathOf(design::pictures::titleBanner);
inline constexpr Path closeButton = pathOf(design::pictures::closeButton);
inline constexpr Path aboutBanner = pathOf(design::pictures::aboutBanner);
inline constexpr Path aboutCard = pathOf(design::pictures::aboutCard);
} // namespace path
inline constexpr const char* background = path::background.text;
inline constexpr const char* titleBanner = path::titleBanner.text;
inline constexpr const char* closeButton = path::closeButton.text;
inline constexpr const char* aboutBanner = path::aboutBanner.text;
inline constexpr const char* aboutCard = path::aboutCard.text;
} // namespace picture

// The bundled font, Comic Neue Regular, as shipped by Debian's fonts-comic-neue.
inline constexpr char bundledFont[] = ":/fonts/ComicNeue-Regular.otf";

// The window's icon, one raw picture per size of design::pictures::windowIconSizes.
QString iconPath(int size);

} // namespace resources
