// SPDX-License-Identifier: MIT
#include "platform/WindowHolder.h"
#include "resources/resources.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID)); // ties windows to the entry
    resources::initialise();

    // The one instance of each window; the holders own them and outlive the event loop.
    platform::WindowHolder<ui::Form2> about;
    platform::WindowHolder<ui::Form1> converter(
        [&about] { return std::make_unique<ui::Form1>(about); });
    converter.show();

    // The program ends when the last window is unloaded, whichever it is.
    return QApplication::exec();
}
