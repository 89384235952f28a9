// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Form.h"

#include <optional>
#include <string>

namespace ui {

// The About window: the about card and nothing else. A click anywhere closes it; so do Escape
// and a screen reader's press.
class Form2 : public Form {
public:
    Form2(platform::Runtime& runtime, std::function<void()> unloaded);

    // Shows the window for a click that asked for it. The window may open under the pointer, and
    // the rest of a double-click must not close it at once.
    void ShowFor(const platform::Click& click);

private:
    platform::WindowProperties windowProperties() const override;
    void build(platform::Window& window) override;
    void command(platform::Command command) override;

    void Form_Click();

    bool isRestOfOpeningDoubleClick(const platform::Click& click);

    const std::string m_name;
    const std::string m_description;
    std::optional<platform::Click::Press> m_openingPress;
};

} // namespace ui
