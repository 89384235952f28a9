// SPDX-License-Identifier: MIT
#include "platform/PictureFile.h"

namespace platform {

PictureFile::PictureFile(const QString& path)
    : m_base(path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (m_base.isNull() || dot <= 0)
        return;
    QString doublePath = path;
    doublePath.insert(dot, QLatin1String("@2x"));
    m_double.load(doublePath);
    // A sibling of the wrong size would change the layout; ignore it.
    if (m_double.size() != m_base.size() * 2)
        m_double = QPixmap();
    m_double.setDevicePixelRatio(2.0);
}

const QPixmap& PictureFile::forRatio(qreal devicePixelRatio) const {
    return devicePixelRatio > 1.0 && !m_double.isNull() ? m_double : m_base;
}

} // namespace platform
