// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace platform {

// A picture file and its "@2x" sibling, if there is one. Always drawn at the base file's pixel
// size: the sibling only adds detail on high-density screens, it never changes the size.
class PictureFile {
public:
    PictureFile() = default;
    explicit PictureFile(const QString& path);

    bool isNull() const { return m_base.isNull(); }
    QSize size() const { return m_base.size(); } // in device-independent pixels

    // The pixmap that suits a screen of the given density, with its device pixel ratio set.
    const QPixmap& forRatio(qreal devicePixelRatio) const;

private:
    QPixmap m_base;
    QPixmap m_double;
};

} // namespace platform
