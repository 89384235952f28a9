// SPDX-License-Identifier: MIT
#include "platform/qt/FormWindow.h"

#include "platform/qt/ComboBox.h"
#include "platform/qt/Picture.h"
#include "platform/qt/PressOf.h"
#include "platform/qt/Text.h"
#include "platform/qt/TextBox.h"
#include "resources/resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyleHints>
#include <QTimer>
#include <QWindow>

namespace platform::qt {

FormWindow::FormWindow(Runtime& runtime, const WindowProperties& properties, const QIcon& icon)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_runtime(runtime)
    , m_background(QString::fromLatin1(resources::picture::pathOf(properties.background).text))
    , m_pressable(properties.pressable) {
    setObjectName(toQString(properties.title));
    setWindowTitle(toQString(properties.title));
    setWindowIcon(icon);
    setAccessibleName(toQString(properties.accessibleName));
    setAccessibleDescription(toQString(properties.description));
    setFixedSize(properties.width, properties.height);
    // Where the picture leaves a gap, the platform's default window colour shows.
    setAutoFillBackground(true);
    // The controls inherit the text boxes' font, set before any of them is made, so that none
    // starts out with the default font (each font costs a font engine at start).
    QFont font(resources::textFontFamily());
    font.setPixelSize(design::textBoxFontPixels);
    setFont(font);

    addShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), Command::Close);
    addShortcut(QKeySequence(Qt::Key_F1), Command::Help);
    if (properties.escapeDismisses)
        addShortcut(QKeySequence(Qt::Key_Escape), Command::Dismiss);
}

void FormWindow::addShortcut(const QKeySequence& keys, Command command) {
    auto* shortcut = new QShortcut(keys, this); // the window owns it
    connect(shortcut, &QShortcut::activated, this, [this, command] { this->command(command); });
}

void FormWindow::command(Command command) {
    deliver(onCommand, command);
}

void FormWindow::placeControl(QWidget& control, const design::Placement& place) {
    control.setObjectName(toQString(place.control));
    control.setGeometry(design::toPixels(place.left), design::toPixels(place.top),
                        design::toPixels(place.width), design::toPixels(place.height));
}

platform::TextBox& FormWindow::addTextBox(const TextBoxProperties& properties) {
    auto* box = new TextBox(properties, *this); // a child: the window owns it
    placeControl(*box, properties.place);
    if (!m_firstControl)
        m_firstControl = box;
    return *box;
}

platform::ComboBox& FormWindow::addComboBox(const ComboBoxProperties& properties) {
    auto* combo = new ComboBox(properties, *this);
    placeControl(*combo, properties.place);
    if (!m_firstControl)
        m_firstControl = combo;
    return *combo;
}

platform::Picture& FormWindow::addPicture(const PictureProperties& properties) {
    auto* picture = new Picture(properties, *this);
    placeControl(*picture, properties.place);
    // Beneath every box, above the pictures added before it.
    if (m_firstControl)
        picture->stackUnder(m_firstControl);
    return *picture;
}

void FormWindow::show() {
    if (m_mapping)
        return; // it shows in a moment
    if (!m_shown) {
        m_shown = true;
        centreOnScreen();
        overProgramWindow();
        if (m_firstControl)
            m_firstControl->setFocus();
        if (const int wait = untilDoubleClickIsOver(); wait > 0) {
            m_mapping = true;
            QTimer::singleShot(wait, this, [this] {
                m_mapping = false;
                if (isLive())
                    show();
            });
            return;
        }
    }
    // A minimised window stays minimised on show() under some window managers.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    QWidget::show();
    raise();
    activateWindow();
}

namespace {

bool compositorPlaces() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

// On Wayland the compositor places every window, anywhere it likes, and no window may raise or
// activate itself: a window shown while another of the program's shows goes over that one, as its
// transient child, which the compositor keeps above it.
void FormWindow::overProgramWindow() {
    if (!compositorPlaces())
        return;
    for (QWidget* other : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<FormWindow*>(other);
        if (form && form != this && form->isLive() && form->isVisible()) {
            winId(); // the native window, which takes the parent before it is mapped
            windowHandle()->setTransientParent(form->windowHandle());
            return;
        }
    }
}

// Nor can a window there open under the pointer or take the focus back: the rest of a
// double-click that opened it would land on the window beneath and take the focus from it. So it
// first shows once a double-click of the last press on the program's windows is over; newly
// mapped, the compositor gives it the focus.
int FormWindow::untilDoubleClickIsOver() const {
    if (!compositorPlaces())
        return 0;
    qint64 since = -1;
    for (QWidget* other : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<FormWindow*>(other); form && form->m_lastPress.isValid())
            if (since < 0 || form->m_lastPress.elapsed() < since)
                since = form->m_lastPress.elapsed();
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    return since >= 0 && since < interval ? interval - static_cast<int>(since) : 0;
}

void FormWindow::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    const auto [left, top] = centredOrigin({area.left(), area.top(), area.width(), area.height()},
                                           frame.width(), frame.height());
    move(left, top);
}

void FormWindow::unload() {
    m_unloaded = true;
    hide(); // at once, even from inside a close that is still under way
    close();
    deleteLater();
}

void FormWindow::press() {
    if (m_pressable)
        deliver(onClick, Click{});
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
    notePress();
    m_gesture = Gesture::Pressed;
    m_pressWindowPos = pos();
    m_press = pressOf(*event);
}

void FormWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_gesture == Gesture::None || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->globalPosition().toPoint() - QPoint(m_press.x, m_press.y);
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
        deliver(onClick, Click{m_press});
}

// The window system's close (the window manager's, or a close() of Qt's own) is a command to the
// program, which unloads the window; only an unloaded window really closes.
void FormWindow::closeEvent(QCloseEvent* event) {
    if (!m_unloaded)
        command(Command::Close);
    event->setAccepted(m_unloaded);
}

} // namespace platform::qt
