// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/forms.h"
#include "platform/win32/Com.h"
#include "platform/win32/Handles.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

namespace platform::win32 {

class FormWindow;

// The forms runtime on the Win32 API. It registers the one window class of the program's
// windows, owns the windows it loads, and frees an unloaded one once the message that unloaded
// it has been handled.
class Runtime : public platform::Runtime {
public:
    // showCommand: how the program was asked to show its first window (a shortcut set to
    // "Run: Minimised" starts it minimised).
    Runtime(HINSTANCE instance, int showCommand);
    ~Runtime() override;
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    Window& load(const WindowProperties& properties) override;
    void unload(Window& window) override;
    void messageBox(Window& owner, std::string_view text, std::string_view title) override;
    DoubleClick doubleClick() const override;
    int run() override;
    void quit() override;
    // Hands one message to the program as the loop does (dialog keys, then the window) and then
    // does what the loop does after each: frees unloaded windows, shows the boxes owed.
    void deliver(MSG& message);

    // For the windows.
    HINSTANCE instance() const { return m_instance; }
    ComApartment& com() { return m_com; }
    Font makeFont(int pixels) const;
    // The start-up show command for the first window shown, the usual one after it.
    int firstShowCommand();
    platform::Guard& guard() { return m_guard; }

    // For as long as it lives, the program is answering another program: no message box shows.
    platform::Answering answering() { return platform::Answering(m_answering); }

private:
    void freeUnloaded();

    struct Box {
        HWND owner;
        std::wstring text, title;
    };
    bool mayShowBox() const;
    void showBox(const Box& box);
    void showWaitingBoxes();

    HINSTANCE m_instance;
    int m_showCommand;
    ComApartment m_com; // outlives every window
    std::wstring m_textFamily;
    std::vector<std::unique_ptr<FormWindow>> m_windows;
    std::vector<std::unique_ptr<FormWindow>> m_unloaded;
    bool m_quit = false;
    platform::Guard m_guard{[] {
        PostQuitMessage(0);
    }};
    platform::MessageBoxes<Box> m_boxes;
    int m_answering = 0;
};

} // namespace platform::win32
