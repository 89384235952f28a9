// SPDX-License-Identifier: MIT
#include "platform/ComboBox.h"

#include <QValidator>

namespace platform {

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

ComboBox::ComboBox(QWidget* parent)
    : QComboBox(parent) {
    // The field is made with the box, so that it follows the box in the focus chain; made later,
    // Qt 6.4 puts it out of order for Shift+Tab.
    setEditable(true);
    setCompleter(nullptr);     // Qt 6.4 would complete a typed text to the entry it starts
    setInsertPolicy(NoInsert); // and would add a typed text to the list on Enter
    setValidator(new NeverFinishedText(this)); // the box owns it
}

} // namespace platform
