// SPDX-License-Identifier: MIT
#include "platform/qt/Runtime.h"
#include "ui/Program.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

// Start-up for a profiler: builds and shows what the program's entry does ("program"), what
// bare_window does ("bare") or what hello_window does ("hello"), lets the first paint happen, and
// quits. Run under callgrind with QT_QPA_PLATFORM=offscreen; the difference between the program
// and the hello window is the program's own start-up.

namespace {

// Quits once the watched window has had its first paint event; its children paint in the same
// pass, before the queued quit runs.
class QuitAfterFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};

// The program's entry, with its runtime made first so that the application object is the same
// plain one as the other modes'.
int RunProgram(const char* name) {
    platform::qt::Runtime runtime(name);
    ui::Program program(runtime);
    QuitAfterFirstPaint quit;
    qApp->installEventFilter(&quit); // the first window to paint is the main window
    return program.run();
}

int RunBare(QApplication& application, bool hello) {
    constexpr Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    const std::unique_ptr<QWidget> window =
        hello ? std::make_unique<QLabel>(QStringLiteral("Hello, world!"), nullptr, flags)
              : std::make_unique<QWidget>(nullptr, flags);
    window->setFixedSize(572, 287);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    QuitAfterFirstPaint quit;
    window->installEventFilter(&quit);
    window->show();
    return application.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    const auto is = [&](const char* mode) {
        return argc == 2 && std::strcmp(argv[1], mode) == 0;
    };
    if (!is("program") && !is("bare") && !is("hello")) {
        std::fprintf(stderr, "usage: %s program|bare|hello\n", argv[0]);
        return 2;
    }
    if (is("program"))
        return RunProgram(argv[0]);
    QApplication application(argc, argv);
    return RunBare(application, is("hello"));
}
