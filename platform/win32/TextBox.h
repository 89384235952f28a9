// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"
#include "platform/win32/Accessible.h"
#include "platform/win32/Control.h"
#include "platform/win32/Handles.h"

#include <string>

namespace platform::win32 {

// A single-line edit control, in the design's font and colours, with no length limit of its own
// (the default is 30,000 characters). An output box is read-only: it still takes the focus and
// lets the user select, but refuses every change by the user.
//
// Every character typed into it (WM_CHAR) goes to onKeyPress before the control applies it;
// every paste (WM_PASTE from the context menu, Shift+Insert, which the control would do without
// one) and a text set from outside, as a screen reader does (WM_SETTEXT), goes to onInsert
// instead of into the box.
class TextBox : public Control, public platform::TextBox, private AccessibleExtras {
public:
    TextBox(FormWindow& form, const TextBoxProperties& properties);

    std::string text() const override;
    void setText(std::string_view text) override;
    std::size_t length() const override;
    std::size_t selectedLength() const override;
    void insert(std::string_view text) override;
    void setTip(std::string_view tip) override;
    void setMarked(bool marked) override;

    LRESULT notified(UINT message, WPARAM w, LPARAM l) override;
    void scale(int dpi) override;
    AccessibleObject* accessible() override { return &m_accessible; }

private:
    LRESULT handle(UINT message, WPARAM w, LPARAM l) override;
    LRESULT typed(WPARAM w, LPARAM l);
    void pasteClipboard();
    // Hands text to onInsert, cut one character past the limit: nothing longer can be taken.
    void inserting(std::wstring text);
    LRESULT setFromOutside(LPARAM l);
    LRESULT dialogCode(WPARAM w, LPARAM l);
    LRESULT colours(HDC dc);
    bool filters() const { return !m_readOnly && onInsert; }

    std::wstring accessibleName() const override { return m_name; }
    std::wstring accessibleDescription() const override { return m_tip; }

    design::Placement m_place;
    std::wstring m_name;
    std::wstring m_tip;
    bool m_readOnly;
    std::size_t m_maxLength; // 0: none
    bool m_marked = false;
    bool m_applying = false; // a change of the program's own is being made
    Brush m_markBrush;
    AccessibleObject m_accessible{*this};
};

} // namespace platform::win32
