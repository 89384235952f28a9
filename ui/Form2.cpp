// SPDX-License-Identifier: MIT
#include "ui/Form2.h"

#include "resources/resources.h"

namespace ui {

namespace {
// The card is 541 x 332 px: its right column and bottom rows fall outside this client area.
constexpr QSize clientSize(542, 290);
} // namespace

Form2::Form2()
    : FormWindow(clientSize, QString::fromLatin1(resources::picture::aboutCard)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(resources::programIcon());
    setAccessibleName(tr("About Velmora Temperature Converter"));
    setAccessibleDescription(
        tr("Velmora Temperature Converter. Version 1.0. Written by Orla Vantreeve, "
           "orla.vantreeve@example.org, Lantern Quay, Velmora, 1999."));
    connect(this, &FormWindow::clicked, this, &Form2::Form_Click);
    centreOnScreen();
}

void Form2::Form_Click() {
    close();
}

} // namespace ui
