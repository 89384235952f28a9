// SPDX-License-Identifier: MIT
#include "ui/Form1.h"

#include "conversion/number_text.h"
#include "design/layout.h"
#include "design/texts.h"
#include "ui/InputRules.h"

#include <array>
#include <exception>
#include <utility>

namespace ui {

namespace text = design::text;

namespace {

using conversion::OutputBox;
using conversion::ScaleName;

const design::Placement& placed(std::string_view control) {
    return *design::findPlacement(control);
}

// The list in the order the user meets it: Celsius first, the scale a first number is read in.
constexpr std::array<std::string_view, 3> scaleEntries{
    ScaleName(OutputBox::Celsius), ScaleName(OutputBox::Fahrenheit), ScaleName(OutputBox::Kelvin)};

std::string describeProblem(const std::exception& error) {
    if (dynamic_cast<const conversion::ConversionError*>(&error))
        return std::string(text::notANumber);
    if (dynamic_cast<const conversion::OverflowError*>(&error))
        return std::string(text::outOfRange);
    return std::string(text::cannotConvert) + error.what();
}

} // namespace

Form1::Form1(platform::Runtime& runtime, std::function<void()> unloaded, Form2& about)
    : Form(runtime, std::move(unloaded))
    , m_about(about) {}

platform::WindowProperties Form1::windowProperties() const {
    return {.title = text::title,
            .width = design::toPixels(design::mainClientWidthTwips),
            .height = design::toPixels(design::mainClientHeightTwips),
            .background = design::pictures::background,
            .accessibleName = text::title};
}

void Form1::build(platform::Window& window) {
    // In tab order; the pictures from the bottom of their stacking order up.
    m_text1 = &window.addTextBox({.place = placed("Text1"),
                                  .accessibleName = text::inputName,
                                  .tip = text::inputTip,
                                  .maxLength = input::maxLength});
    const auto output = [&window](std::string_view control, OutputBox box) {
        return &window.addTextBox(
            {.place = placed(control), .accessibleName = ScaleName(box), .readOnly = true});
    };
    m_text2 = output("Text2", OutputBox::Fahrenheit);
    m_text3 = output("Text3", OutputBox::Celsius);
    m_combo1 = &window.addComboBox({.place = placed("Combo1"),
                                    .accessibleName = text::scaleName,
                                    .entries = scaleEntries,
                                    .text = scaleEntries.front()});
    m_text4 = output("Text4", OutputBox::Kelvin);
    window.addPicture({.place = placed("Image3"),
                       .picture = design::pictures::titleBanner,
                       .accessibleName = text::title});
    platform::Picture& image4 = window.addPicture({.place = placed("Image4"),
                                                   .picture = design::pictures::aboutBanner,
                                                   .accessibleName = text::aboutName,
                                                   .button = true});
    platform::Picture& image1 = window.addPicture({.place = placed("Image1"),
                                                   .picture = design::pictures::closeButton,
                                                   .accessibleName = text::closeName,
                                                   .button = true});
    m_tip = text::inputTip;

    m_text1->onKeyPress = [this](platform::KeyPress& key) {
        text1Key(key);
    };
    m_text1->onInsert = [this](std::string_view text) {
        text1Insert(text);
    };
    m_text1->onChange = [this] {
        Text1_Change();
    };
    m_combo1->onPick = [this] {
        Combo1_Click();
    };
    image1.onClick = [this](const platform::Click&) {
        Image1_Click();
    };
    image4.onClick = [this](const platform::Click& click) {
        m_aboutClick = click;
        Image4_Click();
    };
}

void Form1::forget() {
    m_text1 = m_text2 = m_text3 = m_text4 = nullptr;
    m_combo1 = nullptr;
    m_heldRefusal = 0;
}

void Form1::command(platform::Command command) {
    // The keyboard's way to About, beside the banner a mouse clicks.
    if (command == platform::Command::Help) {
        m_aboutClick = {};
        Image4_Click();
    }
}

void Form1::Text1_KeyPress(int& KeyAscii) {
    if (input::isAcceptedCode(KeyAscii))
        return;
    runtime().messageBox(window(), text::refusedCharacter, text::validationTitle);
    KeyAscii = 0;
}

void Form1::text1Key(platform::KeyPress& key) {
    // A refused key held down brings its message once, not once for each repeat.
    if (key.repeat && key.code == m_heldRefusal) {
        key.code = 0;
        return;
    }
    const int typed = key.code;
    m_heldRefusal = 0;
    Text1_KeyPress(key.code);
    if (key.code != 0 && key.code != input::backspace && !text1Takes(1)) {
        refuse(text::tooLong);
        key.code = 0;
    }
    if (key.code == 0)
        m_heldRefusal = typed;
}

void Form1::text1Insert(std::string_view text) {
    const input::Judgement judgement = input::judge(text);
    // Refused whole, however much of it would pass: the box keeps what it held.
    if (!text1Takes(judgement.length)) {
        refuse(text::tooLong);
        return;
    }
    // What was kept goes in; a text that was refused whole leaves the box as it was, while an
    // empty one (a text set to nothing from outside) deletes what it replaces.
    if (!judgement.kept.empty() || !judgement.refused)
        m_text1->insert(judgement.kept);
    // One message for the whole text, once the box shows what it kept.
    if (judgement.refused)
        refuse(text::refusedCharacter);
}

bool Form1::text1Takes(std::size_t added) const {
    return m_text1->length() - m_text1->selectedLength() + added <= input::maxLength;
}

void Form1::refuse(std::string_view message) {
    runtime().messageBox(window(), message, text::validationTitle);
}

void Form1::Text1_Change() {
    convert();
}

void Form1::Combo1_Click() {
    convert();
}

void Form1::Image1_Click() {
    Unload();
}

void Form1::Image4_Click() {
    m_about.ShowFor(m_aboutClick);
}

void Form1::convert() {
    try {
        conversion::ConvertInput(*this);
    } catch (const std::exception& error) {
        showInputProblem(describeProblem(error));
        return;
    }
    showInputProblem({});
}

void Form1::showInputProblem(std::string_view problem) {
    const std::string_view tip = problem.empty() ? text::inputTip : problem;
    if (tip == m_tip) // each problem has a tip of its own, so the cue is already right
        return;
    m_tip = tip;
    m_text1->setTip(m_tip);
    m_text1->setMarked(!problem.empty());
}

std::string Form1::inputText() const {
    return m_text1->text();
}

std::string Form1::scaleName() const {
    return m_combo1->text();
}

void Form1::setOutputText(OutputBox box, std::string_view text) {
    platform::TextBox* const outputs[] = {m_text2, m_text3, m_text4};
    outputs[static_cast<int>(box)]->setText(text);
}

} // namespace ui
