// SPDX-License-Identifier: MIT
#pragma once

#include "platform/PictureFile.h"

#include <QWidget>

namespace platform {

// A windowless picture control: the picture drawn at its own pixel size from the top-left corner,
// never stretched, clipped to the control. Where pictures overlap, the upper sibling in the
// stacking order takes the mouse, as with any widget.
class Picture : public QWidget {
    Q_OBJECT
public:
    enum class Role {
        Decoration, // lets the mouse through to the window (so the window can be dragged by it)
        Button,     // emits clicked() and reads as a push button to assistive technology
    };

    Picture(const QString& path, Role role, QWidget* parent);

    Role role() const { return m_role; }
    QSize sizeHint() const override { return m_picture.size(); }

    // The click a screen reader or a test asks for: the same as a mouse click.
    void click();

signals:
    // A left-button press and release, both inside the picture.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PictureFile m_picture;
    Role m_role;
    bool m_pressed = false;
};

} // namespace platform
