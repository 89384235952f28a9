// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A forms runtime in memory that records what the windows do (their boxes' texts, their message
// boxes, the windows loaded and unloaded, the end of the program) and lets a test act as the user.
// Where a toolkit decides something of its own (how a key edits a text), it does what the common
// toolkits do; what the program decides is left to the program.
namespace fake {

std::u16string Utf16(std::string_view utf8);
std::string Utf8(std::u16string_view utf16);

class Window;

// Fails the test when a window that is gone is used: none of its events may reach a handler.
void ExpectLoaded(const Window& window);

class TextBox : public platform::TextBox {
public:
    TextBox(Window& window, const platform::TextBoxProperties& properties)
        : m_window(window)
        , m_properties(properties)
        , m_name(properties.accessibleName)
        , m_tip(properties.tip) {
        m_properties.accessibleName = m_name;
    }

    std::string text() const override { return Utf8(m_text); }
    void setText(std::string_view text) override {
        m_from = 0;
        m_to = m_text.size();
        replace(Utf16(text), true);
    }
    std::size_t length() const override { return m_text.size(); }
    std::size_t selectedLength() const override { return m_to - m_from; }
    void insert(std::string_view text) override { replace(Utf16(text), false); }
    void setTip(std::string_view tip) override {
        m_tip = tip;
        ++m_tipChanges;
    }
    void setMarked(bool marked) override { m_marked = marked; }

    // The user. A key goes through onKeyPress, then edits as a text box does (backspace
    // deletes); a paste goes through onInsert.
    void type(char16_t code, bool repeat = false) {
        ExpectLoaded(m_window);
        platform::KeyPress key{code, repeat};
        if (onKeyPress)
            onKeyPress(key);
        if (key.code == 0 || m_properties.readOnly)
            return;
        if (key.code != 8)
            return replace(std::u16string(1, static_cast<char16_t>(key.code)), false);
        if (m_from == m_to && m_from > 0)
            --m_from;
        replace({}, false);
    }
    void type(std::string_view typed) {
        for (char16_t code : Utf16(typed))
            type(code);
    }
    void paste(std::string_view text) {
        ExpectLoaded(m_window);
        if (!m_properties.readOnly && onInsert)
            onInsert(text);
    }
    void select(std::size_t from, std::size_t to) {
        m_from = std::min({from, to, m_text.size()});
        m_to = std::min(std::max(from, to), m_text.size());
    }
    void selectAll() { select(0, m_text.size()); }
    // Delete, a key that types nothing: removes the selection or the next character.
    void pressDelete() {
        ExpectLoaded(m_window);
        if (m_from == m_to && m_to < m_text.size())
            ++m_to;
        if (!m_properties.readOnly)
            replace({}, false);
    }

    const platform::TextBoxProperties& properties() const { return m_properties; }
    const std::string& tip() const { return m_tip; }
    bool marked() const { return m_marked; }
    int tipChanges() const { return m_tipChanges; }
    int changes() const { return m_changes; }
    std::size_t selectionStart() const { return m_from; }
    std::size_t cursor() const { return m_to; }

private:
    // In place of the selection, the cursor after it; a change is reported even when the text
    // comes out the same, as the toolkits do.
    void replace(std::u16string_view text, bool always) {
        if (!always && text.empty() && m_from == m_to)
            return;
        m_text.replace(m_from, m_to - m_from, text);
        m_from = m_to = m_from + text.size();
        ++m_changes;
        if (onChange)
            onChange();
    }

    Window& m_window;
    platform::TextBoxProperties m_properties;
    std::string m_name, m_tip;
    std::u16string m_text;
    std::size_t m_from = 0, m_to = 0; // the selection; the cursor is at m_to
    bool m_marked = false;
    int m_tipChanges = 0, m_changes = 0;
};

class ComboBox : public platform::ComboBox {
public:
    ComboBox(Window& window, const platform::ComboBoxProperties& properties)
        : m_window(window)
        , m_properties(properties)
        , m_name(properties.accessibleName)
        , m_entries(properties.entries.begin(), properties.entries.end())
        , m_text(properties.text) {
        m_properties.accessibleName = m_name;
    }

    std::string text() const override { return m_text; }

    void pick(std::string_view entry) { // from the list
        ExpectLoaded(m_window);
        ASSERT_NE(std::find(m_entries.begin(), m_entries.end(), entry), m_entries.end());
        m_text = entry;
        if (onPick)
            onPick();
    }
    void typeText(std::string_view text) { m_text = text; } // into the field

    const platform::ComboBoxProperties& properties() const { return m_properties; }
    const std::vector<std::string>& entries() const { return m_entries; }

private:
    Window& m_window;
    platform::ComboBoxProperties m_properties;
    std::string m_name;
    std::vector<std::string> m_entries;
    std::string m_text;
};

class Picture : public platform::Picture {
public:
    Picture(Window& window, const platform::PictureProperties& properties)
        : m_window(window)
        , m_properties(properties)
        , m_name(properties.accessibleName) {
        m_properties.accessibleName = m_name;
    }

    // A decoration lets the click through to the window.
    void click(std::optional<platform::Click::Press> press = std::nullopt);

    const platform::PictureProperties& properties() const { return m_properties; }

private:
    Window& m_window;
    platform::PictureProperties m_properties;
    std::string m_name;
};

class Window : public platform::Window {
public:
    explicit Window(const platform::WindowProperties& properties)
        : m_properties(properties)
        , m_title(properties.title)
        , m_accessibleName(properties.accessibleName)
        , m_description(properties.description) {
        m_properties.title = m_title;
        m_properties.accessibleName = m_accessibleName;
        m_properties.description = m_description;
    }

    platform::TextBox& addTextBox(const platform::TextBoxProperties& properties) override {
        return add(m_boxes, properties);
    }
    platform::ComboBox& addComboBox(const platform::ComboBoxProperties& properties) override {
        return add(m_combos, properties);
    }
    platform::Picture& addPicture(const platform::PictureProperties& properties) override {
        return add(m_pictures, properties);
    }
    void show() override { ++m_shows; }

    // The user.
    void click(std::optional<platform::Click::Press> press = std::nullopt) {
        ExpectLoaded(*this);
        if (onClick)
            onClick({press});
    }
    void command(platform::Command command) {
        ExpectLoaded(*this);
        // Escape is otherwise a character for the control with the focus.
        if ((command != platform::Command::Dismiss || m_properties.escapeDismisses) && onCommand)
            onCommand(command);
    }

    TextBox& textBox(std::string_view control) const { return find(m_boxes, control); }
    ComboBox& comboBox() const { return find(m_combos, "Combo1"); }
    Picture& picture(std::string_view control) const { return find(m_pictures, control); }
    // The controls' names as they were added: the tab order, then the pictures from the bottom
    // of the stacking order up.
    const std::vector<std::string>& order() const { return m_order; }

    const platform::WindowProperties& properties() const { return m_properties; }
    const std::string& title() const { return m_title; }
    const std::string& accessibleName() const { return m_accessibleName; }
    const std::string& description() const { return m_description; }
    int shows() const { return m_shows; }
    bool loaded() const { return m_loaded; }
    void unload() { m_loaded = false; }

private:
    template <class Control, class Properties>
    Control& add(std::vector<std::unique_ptr<Control>>& controls, const Properties& properties) {
        m_order.emplace_back(properties.place.control);
        return *controls.emplace_back(std::make_unique<Control>(*this, properties));
    }
    template <class Control>
    static Control& find(const std::vector<std::unique_ptr<Control>>& controls,
                         std::string_view name) {
        for (const auto& control : controls)
            if (control->properties().place.control == name)
                return *control;
        throw std::invalid_argument("no control " + std::string(name));
    }

    platform::WindowProperties m_properties; // its texts point at the copies below
    std::string m_title, m_accessibleName, m_description;
    std::vector<std::unique_ptr<TextBox>> m_boxes;
    std::vector<std::unique_ptr<ComboBox>> m_combos;
    std::vector<std::unique_ptr<Picture>> m_pictures;
    std::vector<std::string> m_order;
    int m_shows = 0;
    bool m_loaded = true;
};

inline void ExpectLoaded(const Window& window) {
    EXPECT_TRUE(window.loaded()) << "an event of the unloaded window \"" << window.title() << "\"";
}

inline void Picture::click(std::optional<platform::Click::Press> press) {
    ExpectLoaded(m_window);
    if (!m_properties.button)
        m_window.click(press);
    else if (onClick)
        onClick({press});
}

struct Message {
    std::string owner, text, title;
};

class Runtime : public platform::Runtime {
public:
    static constexpr platform::DoubleClick doubleClickLimits{500, 4};

    platform::Window& load(const platform::WindowProperties& properties) override {
        return *m_windows.emplace_back(std::make_unique<Window>(properties));
    }
    void unload(platform::Window& window) override {
        ExpectLoaded(static_cast<Window&>(window));
        static_cast<Window&>(window).unload();
    }
    void messageBox(platform::Window& owner, std::string_view text,
                    std::string_view title) override {
        ExpectLoaded(static_cast<Window&>(owner));
        m_messages.push_back(
            {static_cast<Window&>(owner).title(), std::string(text), std::string(title)});
    }
    platform::DoubleClick doubleClick() const override { return doubleClickLimits; }
    // The loop is the test's own: run() runs `loop` (where a test makes a fault leave it) and
    // returns, and quit() is counted.
    int run() override {
        if (loop)
            loop();
        return 0;
    }
    std::function<void()> loop;
    void quit() override { ++m_quits; }

    // The loaded window with this title, or nullptr.
    Window* window(std::string_view title) const {
        for (const auto& window : m_windows)
            if (window->loaded() && window->title() == title)
                return window.get();
        return nullptr;
    }
    int loads(std::string_view title) const {
        return static_cast<int>(std::count_if(m_windows.begin(), m_windows.end(),
                                              [&](const auto& w) { return w->title() == title; }));
    }
    const std::vector<Message>& messages() const { return m_messages; }
    int quits() const { return m_quits; }

private:
    std::vector<std::unique_ptr<Window>> m_windows; // kept after unloading, to catch late use
    std::vector<Message> m_messages;
    int m_quits = 0;
};

} // namespace fake
