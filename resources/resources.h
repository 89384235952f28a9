// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QString>

// Pictures, icon and font of the program, all embedded in the binary by the build.
namespace resources {

// Registers the embedded pictures and the bundled font. Call once, after the QGuiApplication
// exists.
void initialise();

// "Comic Sans MS" where the system has it, otherwise the bundled, metrically similar Comic Neue.
QString textFontFamily();

// The program icon, with every rendered size.
QIcon programIcon();

// Resource paths of the pictures; each has an "@2x" sibling for high-density screens.
namespace picture {
inline constexpr char background[] = ":/pictures/background.png";    // 704 x 304, main window
inline constexpr char titleBanner[] = ":/pictures/title-banner.png"; // 744 x 67
inline constexpr char closeButton[] = ":/pictures/close.png";        // 22 x 18
inline constexpr char aboutBanner[] = ":/pictures/about-banner.png"; // 704 x 67
inline constexpr char aboutCard[] = ":/pictures/about-card.png";     // 541 x 332, About window
} // namespace picture

// The bundled font, Comic Neue Regular, as shipped by Debian's fonts-comic-neue.
inline constexpr char bundledFont[] = ":/fonts/ComicNeue-Regular.otf";

// The program icon: one PNG per size ("velmora-16.png" ... "velmora-256.png") and the Windows .ico.
namespace icon {
inline constexpr char directory[] = ":/icons";
inline constexpr int sizes[] = {16, 24, 32, 48, 64, 128, 256};
inline constexpr char windowsIcon[] = ":/icons/velmora.ico";
} // namespace icon

} // namespace resources
