// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

// The program icon: a cartoon face under a large, round, dark head of hair. Drawn from vector
// shapes at each size, so every size is sharp; small sizes drop the details that would only blur.
class IconPainter {
public:
    // The icon at size x size px, ARGB32 premultiplied, transparent around the head.
    static QImage render(int size);

    // Fixed palettes for the 4 and 8 bits per pixel images. Both start with black (see IcoWriter)
    // and hold the icon's own colours, so the palette images keep its look.
    static QList<QRgb> palette16();
    static QList<QRgb> palette256();
};
