// SPDX-License-Identifier: MIT
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>

namespace platform {

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

} // namespace

void MessageBoxes::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    RepeatEater repeats;
    for (QWidget* widget : box.findChildren<QWidget*>())
        widget->installEventFilter(&repeats);
    box.installEventFilter(&repeats);
    // Not every platform gives the activation back when a modal box goes (the offscreen one does
    // not), so the user goes on where they were only if the box hands it back itself.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    box.exec();
    if (focus) {
        focus->activateWindow();
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
}

} // namespace platform
