// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimerEvent>

// Closes every modal message box that comes up by clicking its OK button, as a user would, and
// notes what it showed. Polls on a timer because the box runs its own event loop.
class ModalCloser : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        qsizetype buttonCount;
    };

    ModalCloser() { m_timer = startTimer(5); }

    const QList<Seen>& seen() const { return m_seen; }
    qsizetype count() const { return m_seen.size(); }

protected:
    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() != m_timer)
            return;
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        m_seen.append({box->windowTitle(), box->text(), box->icon(), box->buttons().size()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

private:
    int m_timer = 0;
    QList<Seen> m_seen;
};
