// SPDX-License-Identifier: MIT
#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QTimer>

namespace platform {

void MessageBoxes::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // The signal goes out from inside exec(), once the box is up and modal.
    QTimer::singleShot(0, &box, [this, &box] {
        ++m_shownCount;
        emit shown(box.windowTitle(), box.text());
    });
    box.exec();
}

} // namespace platform
