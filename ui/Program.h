// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

namespace ui {

// The program: the main window first, then events until no window is loaded. Each window class
// has its one instance for the life of the program.
class Program {
public:
    explicit Program(platform::Runtime& runtime);

    // Shows Form1 and delivers events; returns the exit status once the last window has gone, or
    // failureStatus after telling the user of a fault that left a handler.
    int run();
    static constexpr int failureStatus = 70; // a fault of the program's own (sysexits' EX_SOFTWARE)
    // Only shows Form1, for a caller that runs the events itself.
    void start();

private:
    void unloaded();
    void tell(std::string_view message);

    platform::Runtime& m_runtime;
    Form2 m_form2;
    Form1 m_form1;
};

} // namespace ui
