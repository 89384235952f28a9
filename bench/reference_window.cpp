// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

// The yardsticks of the start-up benchmark, each a frameless window of the main window's client
// size, centred like it, shown, and nothing else. The bare QWidget is the toolkit's floor; the
// hello (one QLabel) draws text, so it pays for the font set-up as the program does.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
#ifdef VELMORA_HELLO_WINDOW
    QLabel window(QStringLiteral("Hello, world!"), nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Hello window"));
#else
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Bare window"));
#endif
    window.setFixedSize(572, 287);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return QApplication::exec();
}
