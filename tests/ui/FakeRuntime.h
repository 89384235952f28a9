// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A forms runtime in memory that records what the windows do (their boxes' texts, their message
// boxes, the windows loaded and unloaded, the end of the program) and lets a test act as the user.
// Where a toolkit would decide something of its own (how a key edits a text), it does what the
// common toolkits do; what the program decides is left to the program.
namespace fake {

std::u16string Utf16(std::string_view utf8);
std::string Utf8(std::u16string_view utf16);

class Window;

class TextBox : public platform::TextBox {
public:
    TextBox(Window& window, const platform::TextBoxSpec& spec);

    std::string text() const override { return Utf8(m_text); }
    void setText(std::string_view text) override;
    std::size_t length() const override { return m_text.size(); }
    std::size_t selectedLength() const override { return m_to - m_from; }
    void insert(std::string_view text) override;
    void setTip(std::string_view tip) override;
    void setMarked(bool marked) override { m_marked = marked; }

    // The user. Typing goes through onKeyPress and then edits as a text box does (backspace
    // deletes); paste goes through onInsert.
    void type(char16_t code, bool repeat = false);
    void type(std::string_view typed); // each character pressed and released
    void paste(std::string_view text);
    void select(std::size_t from, std::size_t to);
    void selectAll() { select(0, m_text.size()); }
    void pressDelete(); // a key that types nothing: removes the selection or the next character

    const platform::TextBoxSpec& spec() const { return m_spec; }
    const std::string& tip() const { return m_tip; }
    bool marked() const { return m_marked; }
    int tipChanges() const { return m_tipChanges; }
    int changes() const { return m_changes; }
    std::size_t selectionStart() const { return m_from; }
    std::size_t cursor() const { return m_to; }

private:
    void replace(std::u16string_view text);

    Window& m_window;
    platform::TextBoxSpec m_spec;
    std::string m_name, m_tip;
    std::u16string m_text;
    std::size_t m_from = 0, m_to = 0; // the selection; the cursor is at m_to
    bool m_marked = false;
    int m_tipChanges = 0;
    int m_changes = 0;
};

class ComboBox : public platform::ComboBox {
public:
    ComboBox(Window& window, const platform::ComboBoxSpec& spec);

    std::string text() const override { return m_text; }

    void pick(std::string_view entry);                      // from the list
    void typeText(std::string_view text) { m_text = text; } // into the field

    const std::vector<std::string>& entries() const { return m_entries; }
    const platform::ComboBoxSpec& spec() const { return m_spec; }

private:
    Window& m_window;
    platform::ComboBoxSpec m_spec;
    std::string m_name;
    std::vector<std::string> m_entries;
    std::string m_text;
};

class Picture : public platform::Picture {
public:
    Picture(Window& window, const platform::PictureSpec& spec);

    void click(std::optional<platform::Click::Press> press = std::nullopt);

    const platform::PictureSpec& spec() const { return m_spec; }

private:
    Window& m_window;
    platform::PictureSpec m_spec;
    std::string m_name;
};

class Window : public platform::Window {
public:
    explicit Window(const platform::WindowSpec& spec);

    platform::TextBox& addTextBox(const platform::TextBoxSpec& spec) override;
    platform::ComboBox& addComboBox(const platform::ComboBoxSpec& spec) override;
    platform::Picture& addPicture(const platform::PictureSpec& spec) override;
    void show() override { ++m_shows; }

    // The user.
    void click(std::optional<platform::Click::Press> press = std::nullopt);
    void command(platform::Command command);

    TextBox& textBox(std::string_view control) const;
    ComboBox& comboBox() const;
    Picture& picture(std::string_view control) const;
    // The controls' names in the order they were added (the tab order; the pictures from the
    // bottom of the stacking order up).
    const std::vector<std::string>& order() const { return m_order; }

    const platform::WindowSpec& spec() const { return m_spec; }
    const std::string& title() const { return m_title; }
    const std::string& accessibleName() const { return m_accessibleName; }
    const std::string& description() const { return m_description; }
    int shows() const { return m_shows; }
    bool loaded() const { return m_loaded; }
    void unloaded() { m_loaded = false; }
    // Fails the test when a window that is gone is used: no event may reach its handlers.
    void expectLoaded() const;

private:
    platform::WindowSpec m_spec;
    std::string m_title, m_accessibleName, m_description;
    std::vector<std::unique_ptr<TextBox>> m_textBoxes;
    std::unique_ptr<ComboBox> m_combo;
    std::vector<std::unique_ptr<Picture>> m_pictures;
    std::vector<std::string> m_order;
    int m_shows = 0;
    bool m_loaded = true;
};

struct Message {
    std::string owner, text, title;
};

class Runtime : public platform::Runtime {
public:
    static constexpr platform::DoubleClick doubleClickLimits{500, 4};

    platform::Window& load(const platform::WindowSpec& spec) override;
    void unload(platform::Window& window) override;
    void messageBox(platform::Window& owner, std::string_view text,
                    std::string_view title) override;
    platform::DoubleClick doubleClick() const override { return doubleClickLimits; }
    // The loop itself is the test's: run() returns at once, and quit() is noted.
    int run() override { return 0; }
    void quit() override { ++m_quits; }

    // The loaded window with this title, or nullptr.
    Window* window(std::string_view title) const;
    int loads(std::string_view title) const;
    const std::vector<Message>& messages() const { return m_messages; }
    int quits() const { return m_quits; }

private:
    std::vector<std::unique_ptr<Window>> m_windows; // kept after unloading, to catch late use
    std::vector<Message> m_messages;
    int m_quits = 0;
};

} // namespace fake
