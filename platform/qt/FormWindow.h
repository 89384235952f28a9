// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"
#include "platform/qt/PictureFile.h"
#include "platform/qt/Runtime.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QPoint>
#include <QWidget>
#include <string>

namespace platform::qt {

// A top-level window without a system frame: a fixed client area with a background picture drawn
// from the top-left corner and clipped. Since there is no title bar, a drag on the window's own
// surface moves it, and Alt+F4 is its close command even where no window manager offers one.
class FormWindow : public QWidget, public platform::Window {
    Q_OBJECT
public:
    // icon: the program's, one for every window, so that the window system's copies of it are
    // made once rather than for each window loaded.
    FormWindow(Runtime& runtime, const WindowProperties& properties, const QIcon& icon);

    platform::TextBox& addTextBox(const TextBoxProperties& properties) override;
    platform::ComboBox& addComboBox(const ComboBoxProperties& properties) override;
    platform::Picture& addPicture(const PictureProperties& properties) override;
    void show() override;

    // Takes the window off the screen for good: from now on it delivers no event, and it is
    // deleted once the event loop is back.
    void unload();
    // Whether its events may still reach the program.
    bool isLive() const { return !m_unloaded; }
    // Hands an event to a handler of the program, if set, while the window is live: the one way
    // in from Qt, through the runtime's guard.
    template <class... Parameters, class... Arguments>
    void deliver(const std::function<void(Parameters...)>& handler, Arguments&&... arguments) {
        if (isLive() && handler)
            m_runtime.guard()([&] { handler(std::forward<Arguments>(arguments)...); });
    }
    Runtime& runtime() const { return m_runtime; }

    bool isPressable() const { return m_pressable; }
    // A press of the mouse on the window or one of its pictures.
    void notePress() { m_lastPress.start(); }
    // A screen reader's press.
    void press();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Gesture { None, Pressed, Dragging };

    void addShortcut(const QKeySequence& keys, Command command);
    void command(Command command);
    void placeControl(QWidget& control, const design::Placement& place);
    void centreOnScreen();
    void overProgramWindow();
    int untilDoubleClickIsOver() const;

    Runtime& m_runtime;
    PictureFile m_background;
    bool m_pressable;
    // The first control in tab order: it has the focus at the first show, and it is the lowest
    // control, beneath which the pictures go.
    QWidget* m_firstControl = nullptr;
    bool m_shown = false;
    bool m_mapping = false;    // the first show waits for a double-click to be over
    QElapsedTimer m_lastPress; // of the mouse, on the window or one of its pictures
    bool m_unloaded = false;
    Gesture m_gesture = Gesture::None;
    QPoint m_pressWindowPos;
    Click::Press m_press{};
};

} // namespace platform::qt
