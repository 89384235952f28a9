// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"
#include "platform/qt/PictureFile.h"

#include <QWidget>
#include <cstdint>

namespace platform::qt {

class FormWindow;

// A windowless picture control: the picture drawn at its own pixel size from the top-left corner,
// never stretched, clipped to the control. Where pictures overlap, the upper sibling in the
// stacking order takes the mouse, as with any widget; a decoration lets the mouse through to the
// window, so that the window can be dragged by it.
class Picture : public QWidget, public platform::Picture {
    Q_OBJECT
public:
    Picture(const PictureProperties& properties, FormWindow& window);

    bool isButton() const { return m_button; }
    // The click a screen reader asks for: the same as a mouse click, with no press time.
    void press();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void click(const Click& click);

    FormWindow& m_window;
    PictureFile m_picture;
    bool m_button;
    bool m_pressed = false;
    Click::Press m_press{};
};

} // namespace platform::qt
