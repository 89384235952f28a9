// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>
#include <optional>

// An independent reader for the tests: parses an .ico of BMP images field by field and refuses
// anything that does not follow the layout exactly.
class IcoReader {
public:
    struct Image {
        int width = 0;
        int height = 0;
        int bitCount = 0;
        int colourCount = 0; // as the directory entry states it; 0 for 256 colours and more
        QList<QRgb> palette;
        QImage image; // ARGB32; palette images are opaque except where the AND mask is set
    };

    static std::optional<QList<Image>> read(const QByteArray& data, QString* error);
};
