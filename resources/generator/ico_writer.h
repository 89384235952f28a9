// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

// Builds a Windows icon file (.ico) of BMP images. Unlike Qt's own ICO writer it also writes
// palette images (4 and 8 bits per pixel), which older desktops pick for their small icons.
class IcoWriter {
public:
    // Adds an image of at most 256 x 256 px. With an empty palette it is stored at 32 bits per
    // pixel with its alpha channel; with a palette of 16 or 256 colours at 4 or 8 bits per pixel,
    // every colour mapped to the nearest palette entry and alpha reduced to the AND mask.
    // A palette must start with black, the colour that the mask's transparent pixels carry.
    // Returns false, adding nothing, when the image or the palette does not fit these rules.
    bool addImage(const QImage& image, const QList<QRgb>& palette = {});

    qsizetype imageCount() const { return m_images.size(); }

    // The whole file, images in the order in which they were added.
    QByteArray data() const;

    // Index of the palette entry nearest to colour, weighted for the eye's sensitivity.
    static int nearestIndex(const QList<QRgb>& palette, QRgb colour);

private:
    struct Entry {
        QImage image; // ARGB32, not premultiplied
        QList<QRgb> palette;
    };

    static QByteArray bitmap(const Entry& entry);

    QList<Entry> m_images;
};
