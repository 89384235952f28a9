// SPDX-License-Identifier: MIT
#pragma once

namespace platform {

// Makes the program's own controls read well to assistive technology: pictures as buttons or
// graphics, frameless windows as windows, and a combo box under its accessible name (Qt on Linux
// would name it by its current text). Safe to call more than once.
void installAccessibility();

} // namespace platform
