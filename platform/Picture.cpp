// SPDX-License-Identifier: MIT
#include "platform/Picture.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

Picture::Picture(const QString& path, Role role, QWidget* parent)
    : QWidget(parent)
    , m_picture(path)
    , m_role(role) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents, role == Role::Decoration);
    resize(m_picture.size());
}

void Picture::click() {
    if (m_role == Role::Button)
        emit clicked();
}

void Picture::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return; // a missing picture draws nothing
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_picture.forRatio(devicePixelRatioF()));
}

void Picture::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
}

void Picture::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = std::exchange(m_pressed, false);
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        click();
}

} // namespace platform
