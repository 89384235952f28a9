// SPDX-License-Identifier: MIT
#pragma once

#include "conversion/convert_input.h"
#include "platform/FormWindow.h"
#include "platform/WindowHolder.h"
#include "ui/Form2.h"

#include <exception>

namespace platform {
class ComboBox;
class MessageBoxes;
class Picture;
class TextBox;
} // namespace platform

namespace ui {

// The main window: a temperature typed into Text1 in the scale named by Combo1 is shown in
// Fahrenheit (Text2), Celsius (Text3) and Kelvin (Text4) as the user types.
class Form1 : public platform::FormWindow, private conversion::ConverterView {
    Q_OBJECT
public:
    // about is the holder of the one About window, which Image4 shows.
    explicit Form1(platform::WindowHolder<Form2>& about);

    // The longest input Text1 takes. No temperature needs a tenth of it: every double can be
    // spelt in about 1,100 characters (309 integer digits, or 323 zeros after the full stop and
    // the 767 digits that can decide a rounding). A text box lays out and paints its whole line
    // at every blink of the cursor, so without a limit a pasted log keeps the program busy; at
    // this length the cost is small.
    static constexpr qsizetype maxInputLength = 50'000;

private slots:
    void Text1_KeyPress(int& keyAscii);
    void Text1_TooLong();
    void Text1_Change();
    void Combo1_Click();
    void Image1_Click();
    void Image4_Click();

private:
    // ConverterView
    std::string inputText() const override;
    std::string scaleName() const override;
    void setOutputText(conversion::OutputBox box, std::string_view text) override;

    // Runs ConvertInput; a failure is shown on Text1 instead of leaving the handler.
    void convert();
    void showInputProblem(const QString& problem);

    platform::WindowHolder<Form2>& m_about;
    platform::MessageBoxes* m_messages;
    platform::Picture* m_image3;
    platform::Picture* m_image4;
    platform::Picture* m_image1;
    platform::TextBox* m_text1;
    platform::TextBox* m_text2;
    platform::TextBox* m_text3;
    platform::ComboBox* m_combo1;
    platform::TextBox* m_text4;
};

} // namespace ui
