// SPDX-License-Identifier: MIT
#include "platform/FormWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QWindow>
#include <algorithm>

namespace platform {

FormWindow::FormWindow(QSize clientSize, const QString& backgroundPath)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_background(backgroundPath)
    , m_dismissShortcut(new QShortcut(QKeySequence(Qt::Key_Escape), this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(clientSize);
    // Where the picture leaves a gap, the platform's default window colour shows.
    setAutoFillBackground(true);

    auto* closeShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(closeShortcut, &QShortcut::activated, this, &QWidget::close);
    m_dismissShortcut->setEnabled(false);
    connect(m_dismissShortcut, &QShortcut::activated, this, &QWidget::close);
}

void FormWindow::setDismissible(bool dismissible) {
    m_dismissShortcut->setEnabled(dismissible);
}

bool FormWindow::isDismissible() const {
    return m_dismissShortcut->isEnabled();
}

FormWindow::FormWindow(QSize clientSize, const QString& backgroundPath, const QFont& font)
    : FormWindow(clientSize, backgroundPath) {
    setFont(font);
}

void FormWindow::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    // A window larger than the screen keeps its top-left corner on it rather than being centred
    // off it on both sides.
    move(std::max(frame.left(), area.left()), std::max(frame.top(), area.top()));
}

void FormWindow::paintEvent(QPaintEvent*) {
    if (m_background.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_background.forRatio(devicePixelRatioF()));
}

void FormWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_gesture = Gesture::Pressed;
    m_pressGlobal = event->globalPosition().toPoint();
    m_pressWindowPos = pos();
}

void FormWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_gesture == Gesture::None || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    if (m_gesture == Gesture::Pressed) {
        if (delta.manhattanLength() < QApplication::startDragDistance())
            return;
        m_gesture = Gesture::Dragging;
        // Catch up with the pointer first, so that the grabbed point stays under it rather than
        // slipping by the drag threshold.
        move(m_pressWindowPos + delta);
        // The window manager moves the window better (snapping, Wayland); it takes over the mouse.
        if (QWindow* window = windowHandle(); window && window->startSystemMove()) {
            m_gesture = Gesture::None;
            return;
        }
    }
    move(m_pressWindowPos + delta);
}

void FormWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const Gesture gesture = std::exchange(m_gesture, Gesture::None);
    if (gesture == Gesture::Pressed && rect().contains(event->position().toPoint()))
        emit clicked();
}

void FormWindow::closeEvent(QCloseEvent* event) {
    m_unloading = true;
    event->accept();
}

} // namespace platform
