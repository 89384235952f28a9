// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace conversion {

// The three output boxes, in the order a scale branch may write them.
enum class OutputBox {
    Fahrenheit, // Text2
    Celsius,    // Text3
    Kelvin,     // Text4
};

// Each scale's name, as the user picks it and as ConvertInput compares it (exactly, in case too).
constexpr std::string_view ScaleName(OutputBox box) {
    switch (box) {
    case OutputBox::Fahrenheit:
        return "Fahrenheit";
    case OutputBox::Celsius:
        return "Celsius";
    case OutputBox::Kelvin:
        break;
    }
    return "Kelvin";
}

// What ConvertInput needs from a window: the two texts it reads and the three boxes it writes.
// Texts are UTF-8. Each write must take effect before ConvertInput goes on, so that a conversion
// error leaves exactly the boxes written before it changed.
class ConverterView {
public:
    virtual ~ConverterView() = default;

    virtual std::string inputText() const = 0; // Text1
    virtual std::string scaleName() const = 0; // the text of Combo1
    virtual void setOutputText(OutputBox box, std::string_view text) = 0;
};

// Shows the input temperature in all three scales. Examples (input, scale -> Text2, Text3, Text4):
//   "100", "Fahrenheit" -> "100°F", "37.7777777777778°C", "310.927777777778°K"
//   "37",  "Celsius"    -> "98.6°F", "37°C", "310°K"
//   "273.15", "Kelvin"  -> "32.27°F", "0.149999999999977°C", "273.15°K"
// The box of the input's own scale echoes the input text as typed. Each box is written as soon as
// its text is ready, in the order Text2, Text3, Text4, and the input text is read again for each
// value. An empty input, or a scale name that is not exactly one of "Fahrenheit", "Celsius" and
// "Kelvin", writes nothing. Throws ConversionError or OverflowError (number_text.h) part-way; the
// boxes written before the failing step keep their new texts, e.g. "." as "Fahrenheit" writes
// ".°F" to Text2 and then throws ConversionError.
void ConvertInput(ConverterView& view);

} // namespace conversion
