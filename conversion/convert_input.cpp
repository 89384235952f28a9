// SPDX-License-Identifier: MIT
#include "conversion/convert_input.h"

#include "conversion/number_text.h"

#include <cfloat>

namespace conversion {

namespace {

// Each step of a formula must be rounded to double once, not computed wider and rounded twice
// (x87 without SSE2): that would change last digits.
static_assert(FLT_EVAL_METHOD == 0, "build with SSE2 floating point");

// Written as UTF-8 bytes (the degree sign U+00B0 is C2 B0) so that neither the source nor the
// execution character set can change them.
constexpr std::string_view kFahrenheitSuffix = "\302\260F"; // °F
constexpr std::string_view kCelsiusSuffix = "\302\260C";    // °C
constexpr std::string_view kKelvinSuffix = "\302\260K";     // °K

// x: the input text as it stands when a value needs it, read afresh every time.
Checked ReadInput(const ConverterView& view) {
    return Checked(TextToNumber(view.inputText()));
}

void WriteEcho(ConverterView& view, OutputBox box, std::string_view suffix) {
    std::string text = view.inputText();
    text += suffix;
    view.setOutputText(box, text);
}

void WriteValue(ConverterView& view, OutputBox box, Checked value, std::string_view suffix) {
    std::string text = NumberToText(value.value());
    text += suffix;
    view.setOutputText(box, text);
}

} // namespace

void ConvertInput(ConverterView& view) {
    if (view.inputText().empty())
        return;
    const std::string scale = view.scaleName();

    // Each box is written before the next value is computed, so that an error part-way leaves the
    // earlier boxes updated. The brackets are the order of the rounded steps: they decide the last
    // digit. Celsius-to-Kelvin uses 273, Fahrenheit-to-Kelvin 273.15, on purpose.
    if (scale == ScaleName(OutputBox::Fahrenheit)) {
        WriteEcho(view, OutputBox::Fahrenheit, kFahrenheitSuffix);
        WriteValue(view, OutputBox::Celsius, ((ReadInput(view) - 32) / 9) * 5, kCelsiusSuffix);
        WriteValue(view, OutputBox::Kelvin, ((ReadInput(view) - 32) * 5) / 9 + 273.15,
                   kKelvinSuffix);
    } else if (scale == ScaleName(OutputBox::Celsius)) {
        WriteValue(view, OutputBox::Fahrenheit, ((ReadInput(view) * 9) / 5) + 32,
                   kFahrenheitSuffix);
        WriteEcho(view, OutputBox::Celsius, kCelsiusSuffix);
        WriteValue(view, OutputBox::Kelvin, ReadInput(view) + 273, kKelvinSuffix);
    } else if (scale == ScaleName(OutputBox::Kelvin)) {
        WriteValue(view, OutputBox::Fahrenheit, ((ReadInput(view) - 273) * 1.8) + 32,
                   kFahrenheitSuffix);
        WriteValue(view, OutputBox::Celsius, ReadInput(view) - 273, kCelsiusSuffix);
        WriteEcho(view, OutputBox::Kelvin, kKelvinSuffix);
    }
}

} // namespace conversion
