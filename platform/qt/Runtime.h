// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/forms.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class QApplication;

namespace platform::qt {

class FormWindow;

// The forms runtime on Qt Widgets. It makes the application object (unless one exists, as in a
// test) and owns the windows it loads until they are unloaded; an unloaded window is deleted once
// the event loop is back, or by the runtime at the end.
class Runtime : public platform::Runtime {
public:
    // programName: argv[0]; the toolkit sees no other argument.
    explicit Runtime(const char* programName);
    ~Runtime() override;
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    Window& load(const WindowProperties& properties) override;
    void unload(Window& window) override;
    void messageBox(Window& owner, std::string_view text, std::string_view title) override;
    DoubleClick doubleClick() const override;
    int run() override;
    void quit() override;

    platform::Guard& guard() { return m_guard; }

    // For as long as it lives, the program is answering another program: no message box shows.
    platform::Answering answering() { return platform::Answering(m_answering); }

private:
    // After a fault: every loop ends, the message boxes' too.
    static void endLoops();
    struct Box {
        QPointer<FormWindow> owner;
        QString text, title;
    };
    void showBox(const Box& box);
    void showWaitingBoxes();

    // Qt keeps the argument count and list for the application's life.
    int m_argumentCount = 1;
    char* m_arguments[2];
    std::unique_ptr<QApplication> m_application; // none when one was already there
    QIcon m_icon;                                // the windows' icon, made once
    std::vector<std::unique_ptr<FormWindow>> m_windows;
    std::vector<QPointer<FormWindow>> m_unloaded; // waiting for their deferred delete
    bool m_quit = false;
    bool m_running = false; // run() is in Qt's loop
    platform::Guard m_guard{endLoops};
    platform::MessageBoxes<Box> m_boxes;
    int m_answering = 0;
    QObject m_queue; // carries the calls that show waiting boxes; they go with the runtime
};

} // namespace platform::qt
