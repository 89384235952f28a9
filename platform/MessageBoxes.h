// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace platform {

// The program's modal message box: the information icon and one OK button, with the title and the
// text exactly as given. Every box is a real one; shown() lets a caller see that it came up.
class MessageBoxes : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Shows the box modal over the application and returns when the user has closed it.
    void information(QWidget* parent, const QString& title, const QString& text);

    int shownCount() const { return m_shownCount; }

signals:
    // Emitted once the box is on screen, before the call waits for the user.
    void shown(const QString& title, const QString& text);

private:
    int m_shownCount = 0;
};

} // namespace platform
