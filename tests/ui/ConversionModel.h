// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <locale.h>
#include <optional>
#include <string>
#include <string_view>

namespace session {

// What a conversion run should leave behind, worked out with plain doubles and the C library
// rather than the program's own conversion code, so that the two can disagree.
class ConversionModel {
public:
    enum class Problem { None, NotANumber, OutOfRange };

    // Fahrenheit, Celsius, Kelvin: the texts of Text2, Text3 and Text4, in UTF-8.
    using Boxes = std::array<std::string, 3>;

    ConversionModel();
    ~ConversionModel();
    ConversionModel(const ConversionModel&) = delete;
    ConversionModel& operator=(const ConversionModel&) = delete;

    // One run on a non-empty input: writes the boxes in their order and stops at the first step
    // that fails, leaving the boxes written before it. An unknown scale name writes nothing.
    Problem run(std::string_view input, std::string_view scale, Boxes& boxes) const;

    // A typed numeral: digits with at most one full stop and at least one digit, read as the
    // nearest double. Empty when the text is not such a numeral; infinite when out of range.
    std::optional<double> read(std::string_view text) const;

    // The value rounded to 15 significant digits in printf's %G form, never "-0".
    std::string write(double value) const;

private:
    locale_t m_c;
};

} // namespace session
