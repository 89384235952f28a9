// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <optional>

namespace platform::qt {

// Reads a picture file: raw pixels (platform/RawPicture.h, shared with an uncompressed resource
// rather than copied) or any image format Qt decodes. A null image when it cannot.
QImage readPicture(const QString& path);

// A picture file and its sibling "<name>@2x.png", if there is one. Always drawn at the base
// file's pixel size: the sibling only adds detail on high-density screens, it never changes the
// size. The sibling is decoded when a high-density screen first asks for it, so that an ordinary
// screen never pays for four times the pixels.
class PictureFile {
public:
    PictureFile() = default;
    explicit PictureFile(const QString& path);

    bool isNull() const { return m_base.isNull(); }

    // The pixmap that suits a screen of the given density, with its device pixel ratio set.
    const QPixmap& forRatio(qreal devicePixelRatio) const;

private:
    QPixmap m_base;
    QString m_doublePath;                    // empty when there is no sibling to look for
    mutable std::optional<QPixmap> m_double; // decoded on first use; null when unusable
};

} // namespace platform::qt
