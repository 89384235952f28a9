// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"
#include "platform/win32/Accessible.h"
#include "platform/win32/Control.h"

#include <string>

namespace platform::win32 {

// A drop-down combo box (an edit field and a list) in the design's font and colours. A pick in
// the list (CBN_SELCHANGE) is reported once the field shows the entry; Windows would update the
// field only after the notification.
class ComboBox : public Control, public platform::ComboBox, private AccessibleExtras {
public:
    ComboBox(FormWindow& form, const ComboBoxProperties& properties);

    std::string text() const override;

    LRESULT notified(UINT message, WPARAM w, LPARAM l) override;
    void scale(int dpi) override;
    AccessibleObject* accessible() override { return &m_accessible; }

private:
    LRESULT handle(UINT message, WPARAM w, LPARAM l) override;
    std::wstring accessibleName() const override { return m_name; }

    design::Placement m_place;
    std::wstring m_name;
    AccessibleObject m_accessible{*this};
};

} // namespace platform::win32
