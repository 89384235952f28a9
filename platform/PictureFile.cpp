// SPDX-License-Identifier: MIT
#include "platform/PictureFile.h"

#include "platform/RawPicture.h"

#include <QFile>
#include <QResource>

namespace platform {

QImage readPicture(const QString& path) {
    if (!path.endsWith(QLatin1Char('.') + QLatin1String(rawpicture::extension)))
        return QImage(path);
    // An uncompressed resource stays in the binary for the life of the process: share its bytes.
    const QResource resource(path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        return rawpicture::wrap(resource.data(), resource.size());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return rawpicture::wrap(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size())
        .copy(); // the bytes go with this function
}

PictureFile::PictureFile(const QString& path)
    : m_base(QPixmap::fromImage(readPicture(path))) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (m_base.isNull() || dot <= 0)
        return;
    m_doublePath = path.left(dot) + QLatin1String("@2x.png");
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
