// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <QIcon>
#include <QPointer>
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

private:
    // Qt keeps the argument count and list for the application's life.
    int m_argumentCount = 1;
    char* m_arguments[2];
    std::unique_ptr<QApplication> m_application; // none when one was already there
    QIcon m_icon;                                // the windows' icon, made once
    std::vector<std::unique_ptr<FormWindow>> m_windows;
    std::vector<QPointer<FormWindow>> m_unloaded; // waiting for their deferred delete
    bool m_quit = false;
};

} // namespace platform::qt
