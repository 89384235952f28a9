// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

namespace conversion {

// The text is not a number. The message is short enough for a tooltip.
class ConversionError : public std::runtime_error {
public:
    ConversionError()
        : std::runtime_error("not a number") {}
};

// A numeral or a computed result lies outside the range of a double.
class OverflowError : public std::runtime_error {
public:
    OverflowError()
        : std::runtime_error("number out of range") {}
};

// Reads a whole text as a decimal number, correctly rounded to the nearest double. Locale-free:
// the decimal separator is always the full stop.
//
// Accepted: blanks (space, tab) around the number, one leading sign, digits with at most one full
// stop among them and at least one digit, and an optional decimal exponent (e or E, an optional
// sign, one or more digits). Each is read as the number it spells:
//   "37" -> 37        "037" -> 37        "1." -> 1          ".5" -> 0.5
//   " 2.5E-3 " -> 0.0025                 "-4" -> -4         "+1e5" -> 100000
//   "1E-401" -> 0 (too small for a double: the nearest double, not an error)
//
// Throws ConversionError for anything else, e.g. "" "." ".." "1.2.3" "-" "1,000" "1 000" "0x1A"
// "inf" "nan" "1e" "1e+".
// Throws OverflowError when the nearest double would be infinite, e.g. "1" followed by 309 zeros.
//
// The cost is linear in the length of the text (a numeral of a megabyte takes milliseconds).
double TextToNumber(std::string_view text);

// Writes a finite double as C's printf("%.15G") does in the "C" locale, but never "-0":
// rounded to 15 significant digits, trailing zeros after the full stop dropped (and the full stop
// with them), exponent form when the decimal exponent after rounding is 15 or more or below -4,
// with a signed exponent of at least two digits:
//   37.77777777777778 -> "37.7777777777778"     212.0 -> "212"
//   273.15 - 273 -> "0.149999999999977"         1.0 / 3 -> "0.333333333333333"
//   -17.77777777777778 -> "-17.7777777777778"   -0.0 -> "0"
//   999999999999999 -> "999999999999999"        1e15 -> "1E+15"
//   123456789012345678 -> "1.23456789012346E+17"
//   0.0001 -> "0.0001"    0.00001 -> "1E-05"    1e308 -> "1E+308"
//
// Throws OverflowError for infinities and NaN: they never become text.
std::string NumberToText(double value);

namespace detail {
[[noreturn]] void ThrowOverflowError();
} // namespace detail

// A double whose every single arithmetic step is checked: a result that is not finite (overflow,
// division by zero, an invalid operation) throws OverflowError at once, and the formula stops
// there. Each step is its own rounded double operation (no wider intermediate, no fused
// multiply-add), and the brackets give the order of evaluation:
//   ((Checked(x) - 32) / 9) * 5
class Checked {
public:
    constexpr explicit Checked(double value)
        : m_value(value) {}

    constexpr double value() const { return m_value; }

    friend Checked operator+(Checked a, double b) { return Check(a.m_value + b); }
    friend Checked operator-(Checked a, double b) { return Check(a.m_value - b); }
    friend Checked operator*(Checked a, double b) { return Check(a.m_value * b); }
    friend Checked operator/(Checked a, double b) { return Check(a.m_value / b); }

private:
    static Checked Check(double result) {
        if (!std::isfinite(result))
            detail::ThrowOverflowError();
        return Checked(result);
    }

    double m_value;
};

} // namespace conversion
