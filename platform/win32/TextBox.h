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
// Every character a key types into it (WM_CHAR) goes to onKeyPress before the control applies it.
// Everything else goes to onInsert instead of into the box, each arrival whole: a paste
// (WM_PASTE from the context menu, Shift+Insert, which the control would do without one), a
// character outside the Basic Multilingual Plane, characters that no key of this box typed
// (WM_CHAR sent or posted by another program, WM_UNICHAR), an input method's result, a
// replacement or a whole text from outside (EM_REPLACESEL, WM_SETTEXT) and a screen reader's
// value.
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
    LRESULT character(WPARAM w, LPARAM l);
    LRESULT typed(WPARAM w, LPARAM l);
    LRESULT backspace();
    LRESULT composed(WPARAM w, LPARAM l);
    void pasteClipboard();
    // Hands text to onInsert, cut one character past the limit: nothing longer can be taken. An
    // empty text only where it means something: a whole text set to nothing.
    void inserting(std::wstring text, bool evenEmpty = false);
    // Another program or a screen reader sets the whole text; whether the box then shows it.
    bool setFromOutside(std::wstring_view text);
    LRESULT dialogCode(WPARAM w, LPARAM l);
    LRESULT colours(HDC dc);
    bool filters() const { return !m_readOnly && onInsert; }

    std::wstring accessibleName() const override { return m_name; }
    std::wstring accessibleDescription() const override { return m_tip; }
    HRESULT setValue(std::wstring_view value) override;

    design::Placement m_place;
    std::wstring m_name;
    std::wstring m_tip;
    bool m_readOnly;
    std::size_t m_maxLength; // 0: none
    bool m_marked = false;
    bool m_applying = false; // a change of the program's own is being made
    LPARAM m_keyMessage = 0; // of the last key pressed in the box: its characters carry the same
    std::wstring m_highSurrogate; // the first half of a character, waiting for the second
    Brush m_markBrush;
    AccessibleObject m_accessible{*this};
};

} // namespace platform::win32
