// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>

namespace platform {

// A single-line text box with no length limit. An output box is read-only: it still takes the
// focus and lets the user select its text, but refuses every change by the user.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    enum class Role { Input, Output };

    explicit TextBox(Role role, QWidget* parent = nullptr);
};

} // namespace platform
