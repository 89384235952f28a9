// SPDX-License-Identifier: MIT
#include "platform/PictureFile.h"

namespace platform {

PictureFile::PictureFile(const QString& path)
    : m_base(path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (m_base.isNull() || dot <= 0)
        return;
    m_doublePath = path;
    m_doublePath.insert(dot, QLatin1String("@2x"));
}

const QPixmap& PictureFile::forRatio(qreal devicePixelRatio) const {
    if (devicePixelRatio <= 1.0 || m_doublePath.isEmpty())
        return m_base;
    if (!m_double) {
        QPixmap sibling(m_doublePath);
        // A sibling of the wrong size would change the layout; ignore it.
        if (sibling.size() != m_base.size() * 2)
            sibling = QPixmap();
        sibling.setDevicePixelRatio(2.0);
        m_double = std::move(sibling);
    }
    return m_double->isNull() ? m_base : *m_double;
}

} // namespace platform
