// SPDX-License-Identifier: MIT
// The number texts against the C library as an independent reference: printf's "%.15G" and
// strtod, in the "C" locale that a test process starts in. Fixed seeds keep every run the same.
#include "conversion/number_text.h"
#include "conversion_oracle.h"

#include <bit>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

using conversion::NumberToText;
using conversion::OverflowError;
using conversion::TextToNumber;

std::string ReferenceText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    const std::string text = buffer;
    return text == "-0" ? "0" : text;
}

// Returns the number of mismatches and reports the first few.
int CompareWithPrintf(double value, int& reported) {
    const std::string expected = ReferenceText(value);
    const std::string actual = NumberToText(value);
    if (actual == expected)
        return 0;
    if (reported++ < 10)
        ADD_FAILURE() << "value " << std::hexfloat << value << ": got " << actual << ", printf "
                      << expected;
    return 1;
}

TEST(Differential, NumberToTextRandomBits) {
    std::mt19937_64 random(0x5eed'0001);
    int mismatches = 0;
    int reported = 0;
    int compared = 0;
    while (compared < 600'000) {
        const double value = std::bit_cast<double>(random());
        if (!std::isfinite(value))
            continue;
        mismatches += CompareWithPrintf(value, reported);
        ++compared;
    }
    EXPECT_EQ(mismatches, 0);
}

// Values like the converter's results: short decimals and the outputs of its formulas, which land
// on 15-digit rounding ties and carries far more often than random bits do.
TEST(Differential, NumberToTextDecimalLooking) {
    std::mt19937_64 random(0x5eed'0002);
    std::uniform_int_distribution<std::int64_t> mantissa(-9'999'999, 9'999'999);
    std::uniform_int_distribution<int> places(0, 7);
    std::uniform_int_distribution<int> formula(0, 5);
    static const double kPowers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7};
    int mismatches = 0;
    int reported = 0;
    for (int i = 0; i < 500'000; ++i) {
        const double x = static_cast<double>(mantissa(random)) / kPowers[places(random)];
        const int which = formula(random);
        const double value = which < 5 ? oracle::ApplyFormula(which, x) : x;
        mismatches += CompareWithPrintf(value, reported);
    }
    EXPECT_EQ(mismatches, 0);
}

// Around every power of ten, and around the 15-digit carries 9.99999999999999[5] x 10^e, where the
// choice between fixed and exponent form and the exponent itself change.
TEST(Differential, NumberToTextDecadeBoundaries) {
    int mismatches = 0;
    int reported = 0;
    for (int exponent = -325; exponent <= 308; ++exponent) {
        for (const char* mantissa : {"1", "9.99999999999999", "9.999999999999995"}) {
            const std::string text = std::string(mantissa) + "e" + std::to_string(exponent);
            const double centre = std::strtod(text.c_str(), nullptr);
            double below = centre;
            double above = centre;
            for (int step = 0; step < 3; ++step) {
                if (std::isfinite(below))
                    mismatches += CompareWithPrintf(below, reported);
                if (std::isfinite(above))
                    mismatches += CompareWithPrintf(above, reported);
                below = std::nextafter(below, -INFINITY);
                above = std::nextafter(above, INFINITY);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Compares one text with strtod: the same bits, or OverflowError where strtod overflows.
int CompareWithStrtod(const std::string& text, int& reported) {
    errno = 0;
    const double expected = std::strtod(text.c_str(), nullptr);
    const bool overflow = errno == ERANGE && std::isinf(expected);
    std::string outcome;
    try {
        const double actual = TextToNumber(text);
        if (!overflow &&
            std::bit_cast<std::uint64_t>(actual) == std::bit_cast<std::uint64_t>(expected))
            return 0;
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", actual);
        outcome = buffer;
    } catch (const OverflowError&) {
        if (overflow)
            return 0;
        outcome = "OverflowError";
    } catch (const std::exception& error) {
        outcome = error.what();
    }
    if (reported++ < 10)
        ADD_FAILURE() << "text \"" << text << "\": got " << outcome << ", strtod "
                      << (overflow ? "overflow" : std::to_string(expected));
    return 1;
}

// Random texts of 1 to 400 digits with at most one full stop: everything the keystroke filter
// lets through. Half are at most 20 long, like typed numbers; some use only a few digits so that
// long runs of 0, 5 and 9 (ties, carries, tiny and huge values) come up often.
TEST(Differential, TextToNumberDigitTexts) {
    std::mt19937_64 random(0x5eed'0003);
    std::uniform_int_distribution<int> longLength(1, 400);
    std::uniform_int_distribution<int> shortLength(1, 20);
    std::uniform_int_distribution<int> anyDigit(0, 9);
    std::uniform_int_distribution<int> coin(0, 3);
    static const char kSkewed[] = {'0', '0', '0', '0', '0', '9', '9', '5', '1', '4'};
    int mismatches = 0;
    int reported = 0;
    std::string text;
    for (int i = 0; i < 300'000; ++i) {
        const auto size =
            static_cast<std::size_t>(i % 2 == 0 ? shortLength(random) : longLength(random));
        const bool skewed = coin(random) == 0;
        text.clear();
        for (std::size_t d = 0; d < size; ++d)
            text += skewed ? kSkewed[anyDigit(random)] : static_cast<char>('0' + anyDigit(random));
        if (size > 1 && coin(random) != 0) {
            // At most one full stop, anywhere, including first and last.
            std::uniform_int_distribution<std::size_t> position(0, size - 1);
            text[position(random)] = '.';
        }
        mismatches += CompareWithStrtod(text, reported);
    }
    EXPECT_EQ(mismatches, 0);
}

// Pasted texts with a sign and an exponent, around the limits of the exact powers of ten (10^22)
// and of the double range.
TEST(Differential, TextToNumberExponentTexts) {
    std::mt19937_64 random(0x5eed'0005);
    std::uniform_int_distribution<int> length(1, 25);
    std::uniform_int_distribution<int> anyDigit(0, 9);
    std::uniform_int_distribution<int> nearExact(-40, 40);
    std::uniform_int_distribution<int> anyExponent(-360, 330);
    std::uniform_int_distribution<int> coin(0, 1);
    int mismatches = 0;
    int reported = 0;
    std::string text;
    for (int i = 0; i < 200'000; ++i) {
        const auto size = static_cast<std::size_t>(length(random));
        text = coin(random) == 0 ? "-" : "";
        for (std::size_t d = 0; d < size; ++d)
            text += static_cast<char>('0' + anyDigit(random));
        if (size > 1 && coin(random) == 0) {
            std::uniform_int_distribution<std::size_t> position(text.size() - size,
                                                                text.size() - 1);
            text[position(random)] = '.';
        }
        text += coin(random) == 0 ? "e" : "E";
        text += std::to_string(coin(random) == 0 ? nearExact(random) : anyExponent(random));
        mismatches += CompareWithStrtod(text, reported);
    }
    EXPECT_EQ(mismatches, 0);
}

// Exact midpoints between neighbouring doubles above 2^54 are integers: they tie to even, and a
// digit far behind them, or a long run of nines just below, decides the rounding.
TEST(Differential, TextToNumberMidpoints) {
    std::mt19937_64 random(0x5eed'0004);
    std::uniform_int_distribution<std::uint64_t> bits(std::uint64_t{1} << 54,
                                                      (std::uint64_t{1} << 63) - 1);
    int mismatches = 0;
    int reported = 0;
    for (int i = 0; i < 100'000; ++i) {
        const auto lower = static_cast<double>(bits(random));
        const auto lowerInt = static_cast<std::uint64_t>(lower);
        const auto upperInt = static_cast<std::uint64_t>(std::nextafter(lower, INFINITY));
        const std::uint64_t midpoint = lowerInt + (upperInt - lowerInt) / 2;
        const std::string exact = std::to_string(midpoint);
        const std::string texts[] = {
            exact,
            exact + ".0000000000000000000000000000001",
            std::to_string(midpoint - 1) + "." + std::string(60, '9'),
        };
        for (const auto& text : texts)
            mismatches += CompareWithStrtod(text, reported);
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
