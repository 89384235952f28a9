// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <QComboBox>

namespace platform::qt {

class FormWindow;

// A drop-down combo box with an editable text field and a list, in the design's font and colour.
// What the user types into the field stays text as typed: it never completes, never joins the list
// and never counts as a pick; only a pick in the list does (activated()).
class ComboBox : public QComboBox, public platform::ComboBox {
    Q_OBJECT
public:
    ComboBox(const ComboBoxProperties& properties, FormWindow& window);

    std::string text() const override;

    // Picks entry `index` as a click on it in the list does.
    void pick(int index);
};

} // namespace platform::qt
