// SPDX-License-Identifier: MIT
#include "platform/qt/ComboBox.h"

#include "platform/qt/FormWindow.h"
#include "platform/qt/Text.h"
#include "resources/resources.h"

#include <QValidator>

namespace platform::qt {

namespace {

// Qt 6.4's editable QComboBox treats a typed text that matches an entry (ignoring case) as a pick
// when its field takes Enter or loses the focus. A field whose text never counts as finished
// keeps typing just typing; picks from the list are unaffected.
class NeverFinishedText : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString&, int&) const override { return Intermediate; }
};

} // namespace

ComboBox::ComboBox(const ComboBoxProperties& properties, FormWindow& window)
    : QComboBox(&window) {
    setAccessibleName(toQString(properties.accessibleName));
    // The field is made with the box, so that it follows the box in the focus chain; made later,
    // Qt 6.4 puts it out of order for Shift+Tab.
    setEditable(true);
    setCompleter(nullptr);     // Qt 6.4 would complete a typed text to the entry it starts
    setInsertPolicy(NoInsert); // and would add a typed text to the list on Enter
    setValidator(new NeverFinishedText(this)); // the box owns it
    for (std::string_view entry : properties.entries)
        addItem(toQString(entry));
    setEditText(toQString(properties.text));
    QFont font(resources::textFontFamily());
    font.setPixelSize(design::scaleFontPixels);
    setFont(font);
    const QColor colour(design::scaleColour.red, design::scaleColour.green,
                        design::scaleColour.blue);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, colour);
    colours.setColor(QPalette::ButtonText, colour);
    setPalette(colours);
    // activated() comes only from a pick in the list, by mouse, keys or wheel, after the field
    // shows the entry.
    connect(this, &QComboBox::activated, this, [this, &window] { window.deliver(onPick); });
}

std::string ComboBox::text() const {
    return toStd(currentText());
}

void ComboBox::pick(int index) {
    if (index < 0 || index >= count())
        return;
    setCurrentIndex(index);
    setEditText(itemText(index)); // also when the entry was current but the field said otherwise
    hidePopup();
    emit activated(index);
    emit textActivated(itemText(index));
}

} // namespace platform::qt
