// SPDX-License-Identifier: MIT
#include "conversion/convert_input.h"
#include "conversion/number_text.h"
#include "recording_view.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using conversion::ConversionError;
using conversion::ConvertInput;
using conversion::OutputBox;
using conversion::OverflowError;

using oracle::Named;
using oracle::RecordingView;

enum class Error { None, Conversion, Overflow };

Error RunConvert(RecordingView& view) {
    try {
        ConvertInput(view);
    } catch (const ConversionError&) {
        return Error::Conversion;
    } catch (const OverflowError&) {
        return Error::Overflow;
    }
    return Error::None;
}

const char* ErrorName(Error error) {
    switch (error) {
    case Error::None:
        return "no error";
    case Error::Conversion:
        return "ConversionError";
    case Error::Overflow:
        return "OverflowError";
    }
    return "?";
}

struct RunRow {
    const char* name;
    std::string input;
    const char* scale;
    std::vector<std::string> writes; // in the order they must happen
    Error error = Error::None;
};

void ExpectRun(const RunRow& row) {
    SCOPED_TRACE(row.name);
    RecordingView view;
    view.input = row.input;
    view.scale = row.scale;
    const Error error = RunConvert(view);
    EXPECT_EQ(Named(view.writes), row.writes);
    EXPECT_STREQ(ErrorName(error), ErrorName(row.error));
}

TEST(ConvertInput, WorkedResults) {
    const RunRow rows[] = {
        {"100 F",
         "100",
         "Fahrenheit",
         {"Text2=100°F", "Text3=37.7777777777778°C", "Text4=310.927777777778°K"}},
        {"freezing F", "32", "Fahrenheit", {"Text2=32°F", "Text3=0°C", "Text4=273.15°K"}},
        {"boiling F", "212", "Fahrenheit", {"Text2=212°F", "Text3=100°C", "Text4=373.15°K"}},
        {"leading full stop F",
         ".5",
         "Fahrenheit",
         {"Text2=.5°F", "Text3=-17.5°C", "Text4=255.65°K"}},
        // The order of the steps shows in the last digit: divide first for Celsius, multiply first
        // for Kelvin (swapped, these would end in ...333 and ...556).
        {"F to C divides before it multiplies",
         "14.12",
         "Fahrenheit",
         {"Text2=14.12°F", "Text3=-9.93333333333334°C", "Text4=263.216666666667°K"}},
        {"F to K multiplies before it divides",
         "91.77",
         "Fahrenheit",
         {"Text2=91.77°F", "Text3=33.2055555555556°C", "Text4=306.355555555555°K"}},
        {"boiling C", "100", "Celsius", {"Text2=212°F", "Text3=100°C", "Text4=373°K"}},
        {"body temperature C", "37", "Celsius", {"Text2=98.6°F", "Text3=37°C", "Text4=310°K"}},
        {"echo keeps leading zeros",
         "007",
         "Celsius",
         {"Text2=44.6°F", "Text3=007°C", "Text4=280°K"}},
        {"zero K", "0", "Kelvin", {"Text2=-459.4°F", "Text3=-273°C", "Text4=0°K"}},
        // The Kelvin offsets differ: 273 from Kelvin, 273.15 from Fahrenheit.
        {"273.15 K",
         "273.15",
         "Kelvin",
         {"Text2=32.27°F", "Text3=0.149999999999977°C", "Text4=273.15°K"}},
        {"boiling K", "373", "Kelvin", {"Text2=212°F", "Text3=100°C", "Text4=373°K"}},
        // Texts that can only be pasted: read as what they spell, echoed as they are.
        {"pasted blanks and sign",
         " -40 ",
         "Celsius",
         {"Text2=-40°F", "Text3= -40 °C", "Text4=233°K"}},
        {"pasted exponent",
         "1e2",
         "Fahrenheit",
         {"Text2=1e2°F", "Text3=37.7777777777778°C", "Text4=310.927777777778°K"}},
    };
    for (const auto& row : rows)
        ExpectRun(row);
}

TEST(ConvertInput, NothingToDo) {
    const RunRow rows[] = {
        {"empty input, Celsius", "", "Celsius", {}},
        {"empty input, Fahrenheit", "", "Fahrenheit", {}},
        {"empty input, Kelvin", "", "Kelvin", {}},
        {"empty input, unknown scale", "", "Rankine", {}},
        {"scale in small letters", "100", "celsius", {}},
        {"scale with a trailing blank", "100", "Celsius ", {}},
        {"empty scale", "100", "", {}},
        // An unknown scale is not an error, even for an input that is not a number.
        {"unknown scale, not a number", "1.2.3", "Réaumur", {}},
    };
    for (const auto& row : rows)
        ExpectRun(row);
}

TEST(ConvertInput, NotANumberStopsPartWay) {
    const RunRow rows[] = {
        {"lone full stop, F: echo first", ".", "Fahrenheit", {"Text2=.°F"}, Error::Conversion},
        {"1.2.3, F: echo first", "1.2.3", "Fahrenheit", {"Text2=1.2.3°F"}, Error::Conversion},
        {"lone full stop, C", ".", "Celsius", {}, Error::Conversion},
        {"lone full stop, K", ".", "Kelvin", {}, Error::Conversion},
        {"two full stops, K", "..", "Kelvin", {}, Error::Conversion},
    };
    for (const auto& row : rows)
        ExpectRun(row);
}

// Only multiplications can leave the double range with these constants; each formula that
// multiplies is driven past DBL_MAX, and one input sits just inside.
TEST(ConvertInput, OverflowStopsPartWay) {
    const RunRow rows[] = {
        {"C to F overflows at x9", "1E+308", "Celsius", {}, Error::Overflow},
        {"C to F overflows at x9, negative", "-1E+308", "Celsius", {}, Error::Overflow},
        {"C just inside the range",
         "1.9E+307",
         "Celsius",
         {"Text2=3.42E+307°F", "Text3=1.9E+307°C", "Text4=1.9E+307°K"}},
        // Fahrenheit to Celsius divides before it multiplies and stays finite; Kelvin does not.
        {"F to K overflows at x5",
         "1E+308",
         "Fahrenheit",
         {"Text2=1E+308°F", "Text3=5.55555555555556E+307°C"},
         Error::Overflow},
        {"K to F overflows at x1.8", "1E+308", "Kelvin", {}, Error::Overflow},
        {"K just inside the range",
         "9.9E+307",
         "Kelvin",
         {"Text2=1.782E+308°F", "Text3=9.9E+307°C", "Text4=9.9E+307°K"}},
        {"numeral beyond DBL_MAX, F: echo first",
         "2E+308",
         "Fahrenheit",
         {"Text2=2E+308°F"},
         Error::Overflow},
        {"400-digit numeral, C", std::string(400, '9'), "Celsius", {}, Error::Overflow},
    };
    for (const auto& row : rows)
        ExpectRun(row);
}

// Each value comes from the input as it stands when that value is computed, not from a copy taken
// at the start: a change made while a box is written reaches the boxes after it.
TEST(ConvertInput, ReadsTheInputForEachValue) {
    RecordingView view;
    view.input = "100";
    view.scale = "Fahrenheit";
    view.onWrite = [](RecordingView& v, OutputBox box) {
        if (box == OutputBox::Fahrenheit)
            v.input = "212";
        else if (box == OutputBox::Celsius)
            v.input = "32";
    };
    EXPECT_EQ(RunConvert(view), Error::None);
    EXPECT_EQ(Named(view.writes),
              (std::vector<std::string>{"Text2=100°F", "Text3=100°C", "Text4=273.15°K"}));
}

} // namespace
