// SPDX-License-Identifier: MIT
#pragma once

namespace platform::qt {

// Makes the program's own controls read well to assistive technology: pictures as buttons or
// graphics, frameless windows as windows (a pressable one with a press action),
// a combo box under its accessible name (Qt on Linux would name it by its current text) and its
// text field under the same name, and text boxes that report read-only or editable, not both.
// Called once by the program's entry, before any window exists; safe to call again.
void installAccessibility();

} // namespace platform::qt
