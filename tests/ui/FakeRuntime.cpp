// SPDX-License-Identifier: MIT
#include "FakeRuntime.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace fake {

std::u16string Utf16(std::string_view utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = size == 1 ? lead : lead & (0x7F >> size);
        for (int k = 1; k < size && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (code > 0xFFFF) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += static_cast<std::size_t>(size);
    }
    return out;
}

std::string Utf8(std::u16string_view utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < utf16.size())
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// ---- TextBox ----

TextBox::TextBox(Window& window, const platform::TextBoxSpec& spec)
    : m_window(window)
    , m_spec(spec)
    , m_name(spec.accessibleName)
    , m_tip(spec.tip) {
    m_spec.accessibleName = m_name;
    m_spec.tip = {};
}

void TextBox::setText(std::string_view text) {
    m_text = Utf16(text);
    m_from = m_to = m_text.size();
    ++m_changes;
    if (onChange)
        onChange();
}

void TextBox::insert(std::string_view text) {
    replace(Utf16(text));
}

void TextBox::setTip(std::string_view tip) {
    m_tip = tip;
    ++m_tipChanges;
}

void TextBox::replace(std::u16string_view text) {
    if (text.empty() && m_from == m_to)
        return;
    m_text.replace(m_from, m_to - m_from, text);
    m_from = m_to = m_from + text.size();
    ++m_changes;
    if (onChange)
        onChange();
}

void TextBox::type(char16_t code, bool repeat) {
    m_window.expectLoaded();
    platform::KeyPress key{code, repeat};
    if (onKeyPress)
        onKeyPress(key);
    if (key.code == 0 || m_spec.readOnly)
        return;
    if (key.code != 8) {
        replace(std::u16string(1, static_cast<char16_t>(key.code)));
    } else if (m_from != m_to || m_from > 0) {
        m_from = m_from == m_to ? m_from - 1 : m_from;
        replace({});
    }
}

void TextBox::type(std::string_view typed) {
    for (char16_t code : Utf16(typed))
        type(code);
}

void TextBox::paste(std::string_view text) {
    m_window.expectLoaded();
    if (m_spec.readOnly)
        return;
    if (onInsert)
        onInsert(text);
    else
        insert(text);
}

void TextBox::select(std::size_t from, std::size_t to) {
    m_from = std::min(from, m_text.size());
    m_to = std::min(to, m_text.size());
    if (m_from > m_to)
        std::swap(m_from, m_to);
}

void TextBox::pressDelete() {
    m_window.expectLoaded();
    if (m_spec.readOnly)
        return;
    if (m_from == m_to && m_to < m_text.size())
        ++m_to;
    replace({});
}

// ---- ComboBox, Picture ----

ComboBox::ComboBox(Window& window, const platform::ComboBoxSpec& spec)
    : m_window(window)
    , m_spec(spec)
    , m_name(spec.accessibleName)
    , m_entries(spec.entries.begin(), spec.entries.end())
    , m_text(spec.text) {
    m_spec.accessibleName = m_name;
    m_spec.entries = {};
    m_spec.text = {};
}

void ComboBox::pick(std::string_view entry) {
    m_window.expectLoaded();
    ASSERT_NE(std::find(m_entries.begin(), m_entries.end(), entry), m_entries.end()) << entry;
    m_text = entry;
    if (onPick)
        onPick();
}

Picture::Picture(Window& window, const platform::PictureSpec& spec)
    : m_window(window)
    , m_spec(spec)
    , m_name(spec.accessibleName) {
    m_spec.accessibleName = m_name;
}

void Picture::click(std::optional<platform::Click::Press> press) {
    m_window.expectLoaded();
    // A decoration lets the click through to the window.
    if (!m_spec.button)
        return m_window.click(press);
    if (onClick)
        onClick({press});
}

// ---- Window ----

Window::Window(const platform::WindowSpec& spec)
    : m_spec(spec)
    , m_title(spec.title)
    , m_accessibleName(spec.accessibleName.empty() ? spec.title : spec.accessibleName)
    , m_description(spec.description) {
    m_spec.title = m_title;
    m_spec.accessibleName = m_accessibleName;
    m_spec.description = m_description;
}

platform::TextBox& Window::addTextBox(const platform::TextBoxSpec& spec) {
    m_order.emplace_back(spec.place.control);
    return *m_textBoxes.emplace_back(std::make_unique<TextBox>(*this, spec));
}

platform::ComboBox& Window::addComboBox(const platform::ComboBoxSpec& spec) {
    EXPECT_FALSE(m_combo) << "one combo box a window";
    m_order.emplace_back(spec.place.control);
    m_combo = std::make_unique<ComboBox>(*this, spec);
    return *m_combo;
}

platform::Picture& Window::addPicture(const platform::PictureSpec& spec) {
    m_order.emplace_back(spec.place.control);
    return *m_pictures.emplace_back(std::make_unique<Picture>(*this, spec));
}

void Window::click(std::optional<platform::Click::Press> press) {
    expectLoaded();
    if (onClick)
        onClick({press});
}

void Window::command(platform::Command command) {
    expectLoaded();
    if (command == platform::Command::Dismiss && !m_spec.escapeDismisses)
        return; // Escape is then a character for the control with the focus
    if (onCommand)
        onCommand(command);
}

TextBox& Window::textBox(std::string_view control) const {
    for (const auto& box : m_textBoxes)
        if (box->spec().place.control == control)
            return *box;
    throw std::invalid_argument(std::string("no text box ") + std::string(control));
}

ComboBox& Window::comboBox() const {
    if (!m_combo)
        throw std::invalid_argument("no combo box");
    return *m_combo;
}

Picture& Window::picture(std::string_view control) const {
    for (const auto& picture : m_pictures)
        if (picture->spec().place.control == control)
            return *picture;
    throw std::invalid_argument(std::string("no picture ") + std::string(control));
}

void Window::expectLoaded() const {
    EXPECT_TRUE(m_loaded) << "an event of the unloaded window \"" << m_title << "\"";
}

// ---- Runtime ----

platform::Window& Runtime::load(const platform::WindowSpec& spec) {
    return *m_windows.emplace_back(std::make_unique<Window>(spec));
}

void Runtime::unload(platform::Window& window) {
    auto& fake = static_cast<Window&>(window);
    fake.expectLoaded();
    fake.unloaded();
}

void Runtime::messageBox(platform::Window& owner, std::string_view text, std::string_view title) {
    auto& fake = static_cast<Window&>(owner);
    fake.expectLoaded();
    m_messages.push_back({fake.title(), std::string(text), std::string(title)});
}

Window* Runtime::window(std::string_view title) const {
    for (const auto& window : m_windows)
        if (window->loaded() && window->title() == title)
            return window.get();
    return nullptr;
}

int Runtime::loads(std::string_view title) const {
    return static_cast<int>(std::count_if(m_windows.begin(), m_windows.end(),
                                          [&](const auto& w) { return w->title() == title; }));
}

} // namespace fake
