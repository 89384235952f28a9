// SPDX-License-Identifier: MIT
#include "platform/qt/Runtime.h"

#include "platform/qt/Accessibility.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/StartupGuard.h"
#include "platform/qt/Text.h"
#include "resources/resources.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyleHints>
#include <QThread>
#include <algorithm>

namespace platform::qt {

namespace {

// A key that was already held when the box came up repeats into it; the repeat must not close
// the box, or a held key would show and close boxes in turn. Only a fresh press answers it.
class RepeatEater : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
                         event->type() == QEvent::ShortcutOverride;
        return key && static_cast<QKeyEvent*>(event)->isAutoRepeat();
    }
};

// The smallest density of the screens, in device pixels per pixel.
qreal smallestScreenRatio() {
    qreal smallest = 1.0;
    for (const QScreen* screen : QGuiApplication::screens())
        smallest = std::min(smallest, screen->devicePixelRatio());
    return smallest;
}

} // namespace

void Runtime::endLoops() {
    // None runs before the runtime's own starts.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit();
}

Runtime::Runtime(const char* programName)
    : m_arguments{const_cast<char*>(programName), nullptr} {
    if (!QApplication::instance()) {
        const StartupGuard guard;
        m_application = std::make_unique<QApplication>(m_argumentCount, m_arguments);
        // Qt Widgets never paints at fewer device pixels than pixels: below a density of 1 the
        // controls are placed for the smaller window but drawn at full size, and most are never
        // drawn at all. Whatever asked for less (QT_SCALE_FACTOR, a screen's factor or DPI), the
        // toolkit starts again with its factor raised to make up for it.
        if (const qreal smallest = smallestScreenRatio(); smallest < 1.0) {
            m_application.reset();
            bool isNumber = false;
            const double asked = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&isNumber);
            const double factor = (isNumber ? asked : 1.0) / smallest;
            qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'g', 17));
            m_application = std::make_unique<QApplication>(m_argumentCount, m_arguments);
        }
        QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
        // Ties the windows to the desktop entry.
        QApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));
    }
    // The program decides when it ends: when its last window is unloaded.
    QApplication::setQuitOnLastWindowClosed(false);
    installAccessibility(); // before the first window, which it describes
    m_icon = resources::windowIcon();
}

Runtime::~Runtime() {
    m_windows.clear();
    for (const QPointer<FormWindow>& window : m_unloaded)
        delete window.data();
}

Window& Runtime::load(const WindowProperties& properties) {
    return *m_windows.emplace_back(std::make_unique<FormWindow>(*this, properties, m_icon));
}

void Runtime::unload(Window& window) {
    const auto owned = std::find_if(m_windows.begin(), m_windows.end(),
                                    [&](const auto& loaded) { return loaded.get() == &window; });
    if (owned == m_windows.end())
        return;
    // The window may be in one of its own handlers: it goes from the screen now and is deleted
    // by Qt once the handler has returned.
    FormWindow* form = owned->release();
    m_windows.erase(owned);
    std::erase_if(m_unloaded, [](const QPointer<FormWindow>& gone) { return gone.isNull(); });
    m_unloaded.emplace_back(form);
    form->unload();
}

void Runtime::messageBox(Window& owner, std::string_view text, std::string_view title) {
    // A fault is ending the loop: once it is over, the program tells of that alone.
    if (m_running && m_guard.tripped())
        return;
    Box box{static_cast<FormWindow*>(&owner), toQString(text), toQString(title)};
    if (!m_boxes.showing() && m_answering == 0)
        return showBox(box);
    if (m_boxes.wait(std::move(box)))
        QMetaObject::invokeMethod(
            &m_queue, [this] { showWaitingBoxes(); }, Qt::QueuedConnection);
}

void Runtime::showBox(const Box& shown) {
    QMessageBox box(QMessageBox::Information, shown.title, shown.text, QMessageBox::Ok,
                    shown.owner);
    box.setTextFormat(Qt::PlainText);
    RepeatEater repeats;
    for (QWidget* widget : box.findChildren<QWidget*>())
        widget->installEventFilter(&repeats);
    box.installEventFilter(&repeats);
    // Not every platform gives the activation back when a modal box goes (the offscreen one does
    // not), so the user goes on where they were only if the box hands it back itself.
    // A box that waited may come before the activation is back from the one before it: the
    // focus then is the owner's.
    QPointer<QWidget> focus = QApplication::focusWidget();
    if (!focus && shown.owner)
        focus = shown.owner->focusWidget();
    m_boxes.show(shown, [&box] { box.exec(); });
    if (focus) {
        focus->activateWindow();
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (m_boxes.anyWaiting())
        QMetaObject::invokeMethod(
            &m_queue, [this] { showWaitingBoxes(); }, Qt::QueuedConnection);
}

// One waiting box at a time: the next is shown from the loop once this one has been closed.
void Runtime::showWaitingBoxes() {
    if (m_boxes.showing() || !m_boxes.anyWaiting())
        return; // the box showing calls again when it is closed
    if (m_answering > 0) {
        QMetaObject::invokeMethod(
            &m_queue, [this] { showWaitingBoxes(); }, Qt::QueuedConnection);
        return;
    }
    const Box next = m_boxes.next();
    if (next.owner && next.owner->isLive())
        showBox(next);
    else if (m_boxes.anyWaiting())
        showWaitingBoxes();
}

DoubleClick Runtime::doubleClick() const {
    const QStyleHints* hints = QGuiApplication::styleHints();
    return {static_cast<std::uint32_t>(hints->mouseDoubleClickInterval()),
            hints->mouseDoubleClickDistance()};
}

int Runtime::run() {
    int status = 0;
    if (!m_quit && !m_guard.tripped()) {
        m_running = true;
        status = QApplication::exec();
        m_running = false;
    }
    if (m_guard.tripped())
        m_boxes.forget(); // what they would say no longer matters
    m_guard.rethrow();
    return status;
}

void Runtime::quit() {
    m_quit = true;
    QCoreApplication::quit();
}

} // namespace platform::qt
