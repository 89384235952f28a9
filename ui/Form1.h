// SPDX-License-Identifier: MIT
#pragma once

#include "conversion/convert_input.h"
#include "ui/Form.h"
#include "ui/Form2.h"

#include <string>

namespace ui {

// The main window: a temperature typed into Text1 in the scale named by Combo1 is shown in
// Fahrenheit (Text2), Celsius (Text3) and Kelvin (Text4) as the user types.
class Form1 : public Form, private conversion::ConverterView {
public:
    // about is the one About window, which Image4 and F1 show.
    Form1(platform::Runtime& runtime, std::function<void()> unloaded, Form2& about);

private:
    platform::WindowProperties windowProperties() const override;
    void build(platform::Window& window) override;
    void forget() override;
    void command(platform::Command command) override;

    void Text1_KeyPress(int& KeyAscii);
    void Text1_Change();
    void Combo1_Click();
    void Image1_Click();
    void Image4_Click();

    // Around Text1_KeyPress: a held refused key, and the length limit.
    void text1Key(platform::KeyPress& key);
    // Text that arrives in Text1 other than by typing: each character is judged as a typed one
    // would be, with one message for the whole text.
    void text1Insert(std::string_view text);
    bool text1Takes(std::size_t added) const;
    void refuse(std::string_view message);

    // ConverterView
    std::string inputText() const override;
    std::string scaleName() const override;
    void setOutputText(conversion::OutputBox box, std::string_view text) override;

    // Runs ConvertInput; a failure is shown on Text1 instead of ending the handler.
    void convert();
    void showInputProblem(std::string_view problem);

    Form2& m_about;
    // The controls while the window is loaded.
    platform::TextBox* m_text1 = nullptr;
    platform::TextBox* m_text2 = nullptr;
    platform::TextBox* m_text3 = nullptr;
    platform::ComboBox* m_combo1 = nullptr;
    platform::TextBox* m_text4 = nullptr;
    std::string m_tip;            // Text1's tip as shown
    int m_heldRefusal = 0;        // the refused character, while its key repeats
    platform::Click m_aboutClick; // the click on Image4 being handled
};

} // namespace ui
