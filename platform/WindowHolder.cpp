// SPDX-License-Identifier: MIT
#include "platform/WindowHolder.h"

#include <algorithm>

namespace platform {

WindowSlot::WindowSlot(Factory factory)
    : m_factory(std::move(factory)) {}

WindowSlot::~WindowSlot() {
    delete m_window.data();
    for (const QPointer<FormWindow>& window : m_unloading)
        delete window.data();
}

bool WindowSlot::isLoaded() const {
    return m_window && !m_window->isUnloading();
}

FormWindow& WindowSlot::load() {
    if (!isLoaded()) {
        std::erase_if(m_unloading, [](const QPointer<FormWindow>& window) { return !window; });
        if (m_window)
            m_unloading.push_back(m_window);
        m_window = m_factory().release(); // owned by this slot until it deletes itself on close
    }
    return *m_window;
}

FormWindow& WindowSlot::show() {
    FormWindow& window = load();
    // A minimised window stays minimised on show() under some window managers.
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
    return window;
}

void WindowSlot::unload() {
    if (isLoaded())
        m_window->close();
}

} // namespace platform
