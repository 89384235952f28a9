// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

namespace platform {

// A drop-down combo box with an editable text field and a list. What the user types into the
// field stays text as typed: it never completes, never joins the list and never counts as a pick;
// only a pick in the list does (activated()).
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);
};

} // namespace platform
