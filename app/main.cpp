// SPDX-License-Identifier: MIT
#include "platform/Accessibility.h"
#include "platform/StartupGuard.h"
#include "platform/WindowHolder.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QApplication>
#include <memory>

int main(int, char* argv[]) {
    // The program reads no command line, so the toolkit sees only the program's name: options such
    // as -qwindowtitle, -platform or -reverse never reach it. Qt keeps both for the program's life.
    int argumentCount = 1;
    char* arguments[] = {argv[0], nullptr};
    const auto application = [&] {
        const platform::StartupGuard guard;
        return std::make_unique<QApplication>(argumentCount, arguments);
    }();
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID)); // ties windows to the entry
    platform::installAccessibility(); // before the first window, which it describes

    // The one instance of each window; the holders own them and outlive the event loop.
    platform::WindowHolder<ui::Form2> about;
    platform::WindowHolder<ui::Form1> converter(
        [&about] { return std::make_unique<ui::Form1>(about); });
    converter.show();

    // The program ends when the last window is unloaded, whichever it is.
    return QApplication::exec();
}
