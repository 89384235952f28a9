// SPDX-License-Identifier: MIT
#include "resources/resources.h"

#include <QFontDatabase>
#include <QStringList>

namespace resources {

namespace {

constexpr char kPreferredFamily[] = "Comic Sans MS";

// Registering the font adds it to Qt's font database; doing that once is enough for the process.
int bundledFontId() {
    static const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(bundledFont));
    return id;
}

} // namespace

void initialise() {
    // The pictures are compiled into this library's object files and register themselves.
    bundledFontId();
}

QString textFontFamily() {
    // Only a real Comic Sans MS counts: fontconfig answers the name with a look-alike anyway.
    const QString preferred = QString::fromLatin1(kPreferredFamily);
    if (QFontDatabase::families().contains(preferred, Qt::CaseInsensitive))
        return preferred;
    return QFontDatabase::applicationFontFamilies(bundledFontId())
        .value(0, QStringLiteral("Comic Neue"));
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : icon::sizes)
        icon.addFile(
            QStringLiteral("%1/velmora-%2.png").arg(QLatin1String(icon::directory)).arg(size),
            QSize(size, size));
    return icon;
}

} // namespace resources
