// SPDX-License-Identifier: MIT
#include "resources/resources.h"

#include "resources/RawPicture.h"

#include <QFontDatabase>
#include <QPixmap>
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

// Only a real Comic Sans MS or Comic Neue counts: fontconfig answers either name with a look-alike
// anyway. The installed Comic Neue is the very font that is bundled, and using it spares the
// start-up its registration.
QString findTextFontFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* family : {kPreferredFamily, kFallbackFamily}) {
        if (installed(families, family))
            return QString::fromLatin1(family);
    }
    return QFontDatabase::applicationFontFamilies(bundledFontId())
        .value(0, QString::fromLatin1(kFallbackFamily));
}

} // namespace

QString textFontFamily() {
    // The list of families is long; one look is enough for the process.
    static const QString family = findTextFontFamily();
    return family;
}

QString iconPath(int size) {
    return QStringLiteral(":/icons/velmora-%1.%2")
        .arg(size)
        .arg(QLatin1String(rawpicture::extension));
}

QIcon windowIcon() {
    QIcon icon;
    for (const int size : design::pictures::windowIconSizes)
        icon.addPixmap(QPixmap::fromImage(rawpicture::read(iconPath(size))));
    return icon;
}

} // namespace resources
