// SPDX-License-Identifier: MIT
#include "ui/Form.h"

#include <utility>

namespace ui {

Form::Form(platform::Runtime& runtime, std::function<void()> unloaded)
    : m_runtime(runtime)
    , m_unloaded(std::move(unloaded)) {}

void Form::Show() {
    if (!m_window) {
        m_window = &m_runtime.load(windowProperties());
        m_window->onCommand = [this](platform::Command command) {
            if (command == platform::Command::Close)
                Unload();
            else
                this->command(command);
        };
        build(*m_window);
    }
    m_window->show();
}

void Form::Unload() {
    platform::Window* window = std::exchange(m_window, nullptr);
    if (!window)
        return;
    forget();
    m_runtime.unload(*window);
    m_unloaded();
}

} // namespace ui
