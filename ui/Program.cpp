// SPDX-License-Identifier: MIT
#include "ui/Program.h"

#include "design/texts.h"

#include <exception>
#include <string>

namespace ui {

Program::Program(platform::Runtime& runtime)
    : m_runtime(runtime)
    , m_form2(runtime, [this] { unloaded(); })
    , m_form1(
          runtime, [this] { unloaded(); }, m_form2) {}

int Program::run() {
    start();
    try {
        return m_runtime.run();
    } catch (const std::exception& fault) {
        // Whatever the windows hold now may be half-made: say so and end, rather than go on.
        tell(std::string(design::text::internalError) + fault.what());
    } catch (...) {
        tell(std::string(design::text::internalError));
    }
    return failureStatus;
}

void Program::tell(std::string_view message) {
    if (m_form1.isLoaded())
        m_form1.tell(message, design::text::title);
    else if (m_form2.isLoaded())
        m_form2.tell(message, design::text::title);
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
