// SPDX-License-Identifier: MIT
// Independent references for the fuzz targets and the random session: a numeral grammar written
// from the documented rules, the C library's strtod and printf (in the "C" locale, whatever the
// process's) as the arithmetic truth, and a model of the converter. None of it shares code with
// the engine, so a fault in one cannot hide the same fault in the other.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace oracle {

// Prints what went wrong and aborts (a fuzzer then stores the input as a crash).
[[noreturn]] void Fail(const std::string& message);

// The text in quotes for messages: bytes outside printable ASCII as \xNN, runs of 12 or more of
// one character as {N x c}.
std::string Quoted(std::string_view text);

// A double as hexadecimal float and as 17 significant digits, for messages.
std::string Describe(double value);

bool SameBits(double a, double b);

// numeral  = blank* [sign] mantissa [exponent] blank*
// mantissa = digit+ ["." digit*] | "." digit+
// exponent = ("e" | "E") [sign] digit+
// blank = space or tab, sign = "+" or "-", digit = "0" to "9".
bool IsWellFormedNumeral(std::string_view text);

// What reading a text must give.
struct Reading {
    enum Kind { NotANumber, Overflow, Value } kind;
    double value; // for Value only
};

// Reads the text as strtod in the "C" locale does, for well-formed numerals only: overflow to
// infinity is Overflow, underflow is the (possibly zero) double strtod gives.
Reading ReferenceRead(std::string_view text);

// An empty string when `text` is a correct writing of the finite `value`: the documented form,
// at most 15 significant digits, exponent form exactly when the rounded decimal exponent is below
// -4 or 15 and up, never "-0", and it reads back as the value rounded to 15 significant digits.
// Otherwise a description of what is wrong.
std::string CheckNumberText(double value, const std::string& text);

// The writing the converter must use for a finite value: "%.15G" without "-0".
std::string ReferenceText(double value);

// The model of one run of the converter: the writes in order (box 0, 1, 2 for Text2, Text3,
// Text4) and how the run ends.
struct ModelRun {
    struct Write {
        int box;
        std::string text;
        bool operator==(const Write&) const = default;
    };
    enum Outcome { Completes, ConversionError, OverflowError };

    std::vector<Write> writes;
    Outcome outcome = Completes;
};

ModelRun ModelConvert(const std::string& input, const std::string& scale);

// The converter's formulas, each rounded after every operation in the converter's order:
// 0 Fahrenheit to Celsius, 1 Fahrenheit to Kelvin (+273.15), 2 Celsius to Fahrenheit,
// 3 Kelvin to Fahrenheit, 4 Kelvin to Celsius, 5 Celsius to Kelvin (+273). Unchecked: a step
// past the finite doubles gives an infinity, which the later steps keep.
inline constexpr int kFormulas = 6;
double ApplyFormula(int formula, double x);

inline constexpr std::string_view kSuffixes[3] = {"\302\260F", "\302\260C", "\302\260K"};

} // namespace oracle
