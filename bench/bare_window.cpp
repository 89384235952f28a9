// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QScreen>
#include <QWidget>

// The toolkit's floor for the start-up benchmark: one frameless QWidget with the main window's
// client size, centred like it, shown, and nothing else.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(572, 287);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return QApplication::exec();
}
