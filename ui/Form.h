// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <functional>
#include <string_view>

namespace ui {

// A window class of the program with its one instance: unloaded (no window, no controls) or
// loaded. Loading makes the window and its controls; unloading destroys them, and the instance
// stays, ready to load afresh.
class Form {
public:
    // unloaded is called after every unload, from whichever handler or command caused it.
    Form(platform::Runtime& runtime, std::function<void()> unloaded);
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    bool isLoaded() const { return m_window != nullptr; }
    // Loads the window if it is not loaded, then shows it modeless with no owner.
    void Show();
    // Destroys the window and its controls; nothing when it is not loaded. Nothing can veto it.
    void Unload();
    // A message box over the window, which is loaded.
    void tell(std::string_view message, std::string_view title) const {
        m_runtime.messageBox(*m_window, message, title);
    }

protected:
    platform::Runtime& runtime() const { return m_runtime; }
    platform::Window& window() const { return *m_window; }

    virtual platform::WindowProperties windowProperties() const = 0;
    // Makes the controls on a newly loaded window and attaches their handlers.
    virtual void build(platform::Window& window) = 0;
    // The controls are gone; forget them.
    virtual void forget() {}
    // The window's commands other than Close, which unloads every window.
    virtual void command(platform::Command) {}

private:
    platform::Runtime& m_runtime;
    std::function<void()> m_unloaded;
    platform::Window* m_window = nullptr; // owned by the runtime while loaded
};

} // namespace ui
