// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QLabel>
#include <QScreen>

// Qt's own "hello" for the start-up benchmark: one frameless QLabel of the main window's client
// size, centred like it, shown, and nothing else. Unlike the bare window it draws text, so it
// pays for the font set-up as the program does.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QLabel window(QStringLiteral("Hello, world!"), nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Hello window"));
    window.setFixedSize(572, 287);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return QApplication::exec();
}
