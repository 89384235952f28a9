// SPDX-License-Identifier: MIT
// Renders the program's pictures and icon: velmora_artwork FONT_FILE OUTPUT_DIRECTORY
#include "artwork_generator.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    // Nothing is shown, so no display is needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 3) {
        err << "usage: velmora_artwork FONT_FILE OUTPUT_DIRECTORY\n";
        return 2;
    }
    const QStringList families =
        QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(arguments[1]));
    if (families.isEmpty()) {
        err << "velmora_artwork: cannot load the font " << arguments[1] << '\n';
        return 1;
    }

    QString error;
    if (ArtworkGenerator(families.first()).writeAll(arguments[2], &error).isEmpty()) {
        err << "velmora_artwork: " << error << '\n';
        return 1;
    }
    return 0;
}
