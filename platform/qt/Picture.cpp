// SPDX-License-Identifier: MIT
#include "platform/qt/Picture.h"

#include "platform/qt/FormWindow.h"
#include "platform/qt/PressOf.h"
#include "platform/qt/Text.h"
#include "resources/resources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace platform::qt {

Picture::Picture(const PictureProperties& properties, FormWindow& window)
    : QWidget(&window)
    , m_window(window)
    , m_picture(QString::fromLatin1(resources::picture::pathOf(properties.picture).text))
    , m_button(properties.button) {
    setAccessibleName(toQString(properties.accessibleName));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents, !m_button);
}

void Picture::press() {
    click({});
}

void Picture::click(const Click& click) {
    if (m_button)
        m_window.deliver(onClick, click);
}

void Picture::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return; // a missing picture draws nothing
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_picture.forRatio(devicePixelRatioF()));
}

void Picture::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    m_press = pressOf(*event);
    m_window.notePress();
}

// A press that turns into a drag is no click, wherever it is released.
void Picture::mouseMoveEvent(QMouseEvent* event) {
    const QPoint moved = event->globalPosition().toPoint() - QPoint(m_press.x, m_press.y);
    if (m_pressed && moved.manhattanLength() >= QApplication::startDragDistance())
        m_pressed = false;
}

void Picture::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = std::exchange(m_pressed, false);
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        click({m_press});
}

} // namespace platform::qt
