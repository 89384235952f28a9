// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <QTimerEvent>

// Closes every modal message box that comes up by clicking its OK button, as a quick user would,
// and notes what each showed. A box runs its own event loop, so the answer is posted into it as
// soon as the box is shown; a poll on a timer catches any box whose Show went by unseen.
class ModalCloser : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        qsizetype buttonCount;
    };

    ModalCloser() {
        qApp->installEventFilter(this);
        m_timer = startTimer(5);
    }
    ~ModalCloser() override { qApp->removeEventFilter(this); }
    ModalCloser(const ModalCloser&) = delete;
    ModalCloser& operator=(const ModalCloser&) = delete;

    const QList<Seen>& seen() const { return m_seen; }
    qsizetype count() const { return m_seen.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched))
                QTimer::singleShot(0, box, [this, box] { answer(box); });
        }
        return false;
    }

    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() != m_timer)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            answer(box);
    }

private:
    void answer(QMessageBox* box) {
        if (!box->isVisible() || QApplication::activeModalWidget() != box)
            return;
        m_seen.append({box->windowTitle(), box->text(), box->icon(), box->buttons().size()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    int m_timer = 0;
    QList<Seen> m_seen;
};
