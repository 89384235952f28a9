// SPDX-License-Identifier: MIT
#include "ui/Form2.h"

#include "design/layout.h"
#include "design/texts.h"

#include <cstdlib>
#include <utility>

namespace ui {

namespace text = design::text;

namespace {

// What the card says, one sentence a line.
std::string cardText() {
    std::string text = std::string(text::title) + ". " + std::string(text::cardVersion);
    for (std::string_view line : text::cardCredits)
        text.append(". ").append(line);
    return text + ".";
}

} // namespace

Form2::Form2(platform::Runtime& runtime, std::function<void()> unloaded)
    : Form(runtime, std::move(unloaded))
    , m_name(std::string(text::aboutName) + " " + std::string(text::title))
    , m_description(cardText()) {}

platform::WindowProperties Form2::windowProperties() const {
    return {.title = text::aboutTitle,
            .width = design::aboutClientWidth,
            .height = design::aboutClientHeight,
            .background = design::pictures::aboutCard,
            .accessibleName = m_name,
            .description = m_description,
            .escapeDismisses = true,
            .pressable = true};
}

void Form2::ShowFor(const platform::Click& click) {
    m_openingPress = click.press;
    Show();
}

void Form2::build(platform::Window& window) {
    window.onClick = [this](const platform::Click& click) {
        if (!isRestOfOpeningDoubleClick(click))
            Form_Click();
    };
}

bool Form2::isRestOfOpeningDoubleClick(const platform::Click& click) {
    const std::optional<platform::Click::Press> opening = std::exchange(m_openingPress, {});
    if (!opening || !click.press)
        return false;
    const platform::DoubleClick limits = runtime().doubleClick();
    return click.press->time - opening->time <= limits.interval &&
           std::abs(click.press->x - opening->x) <= limits.distance &&
           std::abs(click.press->y - opening->y) <= limits.distance;
}

void Form2::command(platform::Command command) {
    if (command == platform::Command::Dismiss)
        Form_Click();
}

void Form2::Form_Click() {
    Unload();
}

} // namespace ui
