// SPDX-License-Identifier: MIT
#pragma once

#include "design/pictures.h"

#include <QIcon>
#include <QString>
#include <array>

// Pictures, icon and font of the program, all embedded in the binary by the build.
namespace resources {

// The family of the text, as design/fonts.h chooses it; the bundled copy is registered when it is
// the one chosen.
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
} // namespace picture

// The bundled font, Comic Neue Regular, as shipped by Debian's fonts-comic-neue.
inline constexpr char bundledFont[] = ":/fonts/ComicNeue-Regular.otf";

// The window's icon, one raw picture per size of design::pictures::windowIconSizes.
QString iconPath(int size);

} // namespace resources
