// SPDX-License-Identifier: MIT
#include "platform/TextBox.h"

#include <limits>

namespace platform {

TextBox::TextBox(Role role, QWidget* parent)
    : QLineEdit(parent) {
    // Qt 6.4's QLineEdit cuts its text, and so a long echo with its unit, at 32767 characters.
    setMaxLength(std::numeric_limits<int>::max());
    // Qt 6.4 keeps a read-only QLineEdit in the focus chain with its text selectable; only its
    // editing is refused.
    setReadOnly(role == Role::Output);
}

} // namespace platform
