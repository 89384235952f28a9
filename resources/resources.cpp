// SPDX-License-Identifier: MIT
#include "resources/resources.h"

#include "design/fonts.h"
#include "resources/RawPicture.h"

#include <QFontDatabase>
#include <QPixmap>
#include <QStringList>

namespace resources {

namespace {

// Registering the font adds it to Qt's font database; doing that once is enough for the process.
int bundledFontId() {
    static const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(bundledFont));
    return id;
}

// Only a family the database lists counts: fontconfig answers any name with a look-alike anyway.
QString findTextFontFamily() {
    const QStringList families = QFontDatabase::families();
    const std::string_view family = design::fonts::chooseTextFamily(
        [&](std::string_view name) {
            return families.contains(QLatin1String(name.data(), qsizetype(name.size())),
                                     Qt::CaseInsensitive);
        },
        [] { bundledFontId(); });
    return QString::fromLatin1(family.data(), qsizetype(family.size()));
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
