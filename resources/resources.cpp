// SPDX-License-Identifier: MIT
#include "resources/resources.h"

#include "platform/RawPicture.h"

#include <QFontDatabase>
#include <QPixmap>
#include <QResource>
#include <QStringList>

namespace resources {

namespace {

constexpr char kPreferredFamily[] = "Comic Sans MS";
constexpr char kFallbackFamily[] = "Comic Neue";

// Registering the font adds it to Qt's font database; doing that once is enough for the process.
int bundledFontId() {
    static const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(bundledFont));
    return id;
}

bool installed(const QStringList& families, const char* family) {
    return families.contains(QLatin1String(family), Qt::CaseInsensitive);
}

} // namespace

void initialise() {
    // The pictures are compiled into this library's object files and register themselves; the
    // bundled font is registered only if the system lacks both families (textFontFamily).
}

QString textFontFamily() {
    // Only a real Comic Sans MS or Comic Neue counts: fontconfig answers either name with a
    // look-alike anyway. The installed Comic Neue is the very font that is bundled, and using it
    // spares the start-up its registration.
    const QStringList families = QFontDatabase::families();
    for (const char* family : {kPreferredFamily, kFallbackFamily}) {
        if (installed(families, family))
            return QString::fromLatin1(family);
    }
    return QFontDatabase::applicationFontFamilies(bundledFontId())
        .value(0, QString::fromLatin1(kFallbackFamily));
}

QString iconPath(int size) {
    return QStringLiteral(":/icons/velmora-%1.%2")
        .arg(size)
        .arg(QLatin1String(platform::rawpicture::extension));
}

QIcon windowIcon() {
    QIcon icon;
    for (const int size : design::pictures::windowIconSizes) {
        // Embedded uncompressed, so the pixmaps share the binary's bytes.
        const QResource resource(iconPath(size));
        if (resource.compressionAlgorithm() == QResource::NoCompression)
            icon.addPixmap(
                QPixmap::fromImage(platform::rawpicture::wrap(resource.data(), resource.size())));
    }
    return icon;
}

} // namespace resources
