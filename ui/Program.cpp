// SPDX-License-Identifier: MIT
#include "ui/Program.h"

namespace ui {

Program::Program(platform::Runtime& runtime)
    : m_runtime(runtime)
    , m_form2(runtime, [this] { unloaded(); })
    , m_form1(
          runtime, [this] { unloaded(); }, m_form2) {}

int Program::run() {
    start();
    return m_runtime.run();
}

void Program::start() {
    m_form1.Show();
}

// The program ends when no window is loaded, whichever went last.
void Program::unloaded() {
    if (!m_form1.isLoaded() && !m_form2.isLoaded())
        m_runtime.quit();
}

} // namespace ui
