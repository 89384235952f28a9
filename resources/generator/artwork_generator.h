// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// Writes every picture of the program into a directory: pictures/*.png (each with its @2x
// sibling), icons/velmora-<size>.png and icons/velmora.ico, and beside each 1x picture and window
// icon size its raw pixels (*.pixels, resources/RawPicture.h) for the program to embed; beside
// each picture at 1x and 2x its packed pixels (*.packed, resources/packed_format.h) for the
// Windows program.
class ArtworkGenerator {
public:
    explicit ArtworkGenerator(QString fontFamily);

    // Returns the files written, relative to directory; an empty list and error on failure.
    QStringList writeAll(const QString& directory, QString* error) const;

    // Sizes of the PNG icons for the desktop's icon theme.
    static QList<int> iconThemeSizes();

private:
    QString m_fontFamily;
};
