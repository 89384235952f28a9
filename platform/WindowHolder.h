// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FormWindow.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

// The non-template core of WindowHolder: one window at a time, made on first use.
class WindowSlot {
public:
    using Factory = std::function<std::unique_ptr<FormWindow>()>;

    explicit WindowSlot(Factory factory);
    ~WindowSlot();
    WindowSlot(const WindowSlot&) = delete;
    WindowSlot& operator=(const WindowSlot&) = delete;

    FormWindow& load();
    FormWindow& show();
    void unload();
    bool isLoaded() const;
    FormWindow* window() const { return isLoaded() ? m_window.data() : nullptr; }

private:
    Factory m_factory;
    QPointer<FormWindow> m_window;
    // Windows closed but not yet destroyed by their deferred delete; freed here at the latest.
    std::vector<QPointer<FormWindow>> m_unloading;
};

// The single instance of a window class. The window is created when first loaded, and unloading
// destroys it and its controls while the holder stays, ready to load a fresh one. The holder owns
// the window it made (a window has no parent, so something must).
template <class Window> class WindowHolder {
public:
    using Factory = std::function<std::unique_ptr<Window>()>;

    WindowHolder() requires std::is_default_constructible_v<Window>
        : WindowHolder([] { return std::make_unique<Window>(); }) {}
    explicit WindowHolder(Factory factory)
        : m_slot([factory = std::move(factory)]() -> std::unique_ptr<FormWindow> {
            return factory();
        }) {}

    // Creates the window if it is not loaded; it is not shown.
    Window& load() { return static_cast<Window&>(m_slot.load()); }
    // Loads the window if needed and shows it modeless, with no owner; returns at once.
    Window& show() { return static_cast<Window&>(m_slot.show()); }
    // Closes and destroys the window; a no-op when it is not loaded.
    void unload() { m_slot.unload(); }
    bool isLoaded() const { return m_slot.isLoaded(); }
    // The loaded window, or nullptr.
    Window* window() const { return static_cast<Window*>(m_slot.window()); }

private:
    WindowSlot m_slot;
};

} // namespace platform
