// SPDX-License-Identifier: MIT
#include "platform/qt/PictureFile.h"

#include "platform/forms.h"
#include "resources/RawPicture.h"

namespace platform::qt {

QImage readPicture(const QString& path) {
    if (path.endsWith(QLatin1Char('.') + QLatin1String(resources::rawpicture::extension)))
        return resources::rawpicture::read(path);
    return QImage(path);
}

PictureFile::PictureFile(const QString& path)
    : m_base(QPixmap::fromImage(readPicture(path))) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (m_base.isNull() || dot <= 0)
        return;
    m_doublePath = path.left(dot) + QLatin1String("@2x.png");
}

const QPixmap& PictureFile::forRatio(qreal devicePixelRatio) const {
    if (!wantsDoublePictures(devicePixelRatio) || m_doublePath.isEmpty())
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

} // namespace platform::qt
