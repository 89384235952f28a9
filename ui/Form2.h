// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FormWindow.h"

namespace ui {

// The About window: the about card and nothing else. A click anywhere closes it.
class Form2 : public platform::FormWindow {
    Q_OBJECT
public:
    Form2();

private slots:
    void Form_Click();
};

} // namespace ui
