// SPDX-License-Identifier: MIT
#pragma once

#include "platform/PictureFile.h"

#include <QPoint>
#include <QWidget>

class QShortcut;

namespace platform {

// A top-level window without a system frame: a fixed client area with a background picture drawn
// from the top-left corner and clipped. Since there is no title bar, a drag on the window's own
// surface moves it, and Alt+F4 closes it even when no window manager offers that. Closing unloads
// it: the window and its controls are destroyed, and nothing can veto the close.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow(QSize clientSize, const QString& backgroundPath);
    // With the font that the window's controls inherit, set before any of them is made, so that
    // none starts out with the default font (each font costs a font engine at start).
    FormWindow(QSize clientSize, const QString& backgroundPath, const QFont& font);

    // True from the close on, until the deferred destruction has run.
    bool isUnloading() const { return m_unloading; }

    // Centres the window on the primary screen's available area.
    void centreOnScreen();

    // A dismissible window closes on Escape, and offers that to assistive technology as its
    // press action. Windows are not dismissible unless made so.
    void setDismissible(bool dismissible);
    bool isDismissible() const;

signals:
    // A left-button press and release on the window's own surface, with no drag between them.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) final;

private:
    enum class Gesture { None, Pressed, Dragging };

    PictureFile m_background;
    Gesture m_gesture = Gesture::None;
    QPoint m_pressGlobal;
    QPoint m_pressWindowPos;
    bool m_unloading = false;
    QShortcut* m_dismissShortcut;
};

} // namespace platform
