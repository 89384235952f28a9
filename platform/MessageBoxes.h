// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace platform {

// The program's modal message box: the information icon and one OK button, with the title and the
// text exactly as given.
class MessageBoxes : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Shows the box modal over the application and returns when the user has closed it.
    void information(QWidget* parent, const QString& title, const QString& text);
};

} // namespace platform
