// SPDX-License-Identifier: MIT
#include "artwork_generator.h"

#include "artwork_painter.h"
#include "design/pictures.h"
#include "ico_writer.h"
#include "icon_painter.h"
#include "resources/RawPicture.h"

#include <QDir>
#include <QImageWriter>
#include <QSaveFile>
#include <functional>
#include <type_traits>
#include <utility>

namespace {

// The images are fresh, without text, so the files hold only the pixels and the resolution
// (96 dpi): nothing that could change from one run to the next.
bool savePng(const QImage& image, const QString& path, QString* error) {
    QImageWriter writer(path, "png");
    if (!writer.write(image)) {
        *error = QStringLiteral("%1: %2").arg(path, writer.errorString());
        return false;
    }
    return true;
}

bool saveBytes(const QByteArray& bytes, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Straight alpha and the exact format of each picture, so the files keep the same layout.
QImage forSaving(const QImage& image) {
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

} // namespace

ArtworkGenerator::ArtworkGenerator(QString fontFamily)
    : m_fontFamily(std::move(fontFamily)) {}

QList<int> ArtworkGenerator::iconThemeSizes() {
    const auto& sizes = design::pictures::iconSizes;
    return QList<int>(sizes.begin(), sizes.end());
}

QStringList ArtworkGenerator::writeAll(const QString& directory, QString* error) const {
    const QDir root(directory);
    for (const QString& sub : {QStringLiteral("pictures"), QStringLiteral("icons")}) {
        if (!root.mkpath(sub)) {
            *error = QStringLiteral("cannot create %1").arg(root.filePath(sub));
            return {};
        }
    }

    QStringList written;
    const auto write = [&](const QImage& image, const QString& name) {
        if (!savePng(forSaving(image), root.filePath(name), error))
            return false;
        written.append(name);
        return true;
    };
    // The same pixels, raw, for the program to show without decoding them.
    const auto writeRaw = [&](const QImage& image, const QString& stem) {
        const QString name =
            QStringLiteral("%1.%2").arg(stem, QLatin1String(resources::rawpicture::extension));
        if (!saveBytes(resources::rawpicture::encode(image), root.filePath(name), error))
            return false;
        written.append(name);
        return true;
    };

    // Deflated in bands, for the Windows program, which inflates the rows of each band of its
    // window as it paints it. A band of 32 rows at 1x (and 64 at 2x) is about as many as it
    // paints at a time.
    const auto writePacked = [&](const QImage& image, const QString& stem, int scale) {
        const QString name =
            QStringLiteral("%1.%2").arg(stem, QLatin1String(resources::packedpicture::extension));
        if (!saveBytes(resources::rawpicture::pack(image, 32 * scale), root.filePath(name), error))
            return false;
        written.append(name);
        return true;
    };

    const ArtworkPainter artwork(m_fontFamily);
    using Picture = std::function<QImage(int)>;
    const std::pair<QString, Picture> pictures[] = {
        {QLatin1String(design::pictures::background.name),
         [&](int s) {
             return artwork.background(s);
         }},
        {QLatin1String(design::pictures::titleBanner.name),
         [&](int s) {
             return artwork.titleBanner(s);
         }},
        {QLatin1String(design::pictures::closeButton.name),
         [&](int s) {
             return artwork.closeButton(s);
         }},
        {QLatin1String(design::pictures::aboutBanner.name),
         [&](int s) {
             return artwork.aboutBanner(s);
         }},
        {QLatin1String(design::pictures::aboutCard.name),
         [&](int s) {
             return artwork.aboutCard(s);
         }},
    };
    static_assert(std::extent_v<decltype(pictures)> == design::pictures::all.size());
    for (const auto& [name, draw] : pictures) {
        const QImage single = draw(1), twice = draw(2);
        if (!write(single, QStringLiteral("pictures/%1.png").arg(name)) ||
            !writeRaw(single, QStringLiteral("pictures/%1").arg(name)) ||
            !writePacked(single, QStringLiteral("pictures/%1").arg(name), 1) ||
            !write(twice, QStringLiteral("pictures/%1@2x.png").arg(name)) ||
            !writePacked(twice, QStringLiteral("pictures/%1@2x").arg(name), 2))
            return {};
    }

    for (const int size : iconThemeSizes()) {
        if (!write(IconPainter::render(size), QStringLiteral("icons/velmora-%1.png").arg(size)))
            return {};
    }
    for (const int size : design::pictures::windowIconSizes) {
        if (!writeRaw(IconPainter::render(size), QStringLiteral("icons/velmora-%1").arg(size)))
            return {};
    }

    // The sizes and depths that Windows looks for: palette images for old displays and small
    // sizes, true colour with alpha for the rest.
    IcoWriter ico;
    const auto add = [&](int size, const QList<QRgb>& palette) {
        if (ico.addImage(IconPainter::render(size), palette))
            return true;
        *error = QStringLiteral("the icon of %1 px does not fit the .ico").arg(size);
        return false;
    };
    for (const auto& palette : {IconPainter::palette16(), IconPainter::palette256()}) {
        for (const int size : {48, 32, 24, 16}) {
            if (!add(size, palette))
                return {};
        }
    }
    for (const int size : {128, 48, 32, 24, 16}) {
        if (!add(size, {}))
            return {};
    }
    const QString icoName = QStringLiteral("icons/velmora.ico");
    if (!saveBytes(ico.data(), root.filePath(icoName), error))
        return {};
    written.append(icoName);
    return written;
}
