// SPDX-License-Identifier: MIT
#include "ui/Form2.h"

#include "design/layout.h"
#include "resources/about_card.h"
#include "resources/resources.h"

#include <QStringList>

namespace ui {

namespace {
constexpr QSize clientSize(design::aboutClientWidth, design::aboutClientHeight);

// What the card says, read out in place of the picture: one sentence a line.
QString cardText() {
    namespace card = resources::aboutCard;
    QStringList lines{QString::fromUtf8(card::title.data(), card::title.size()),
                      QString::fromUtf8(card::version.data(), card::version.size())};
    for (std::string_view line : card::credits)
        lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    return lines.join(QStringLiteral(". ")) + QLatin1Char('.');
}
} // namespace

Form2::Form2()
    : FormWindow(clientSize, QString::fromLatin1(resources::picture::aboutCard)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(resources::windowIcon());
    setAccessibleName(tr("About Velmora Temperature Converter"));
    setAccessibleDescription(cardText());
    connect(this, &FormWindow::clicked, this, &Form2::Form_Click);
    setDismissible(true); // Escape, or a screen reader's press, closes it as a click does
    centreOnScreen();
}

void Form2::Form_Click() {
    close();
}

} // namespace ui
