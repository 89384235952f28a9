// SPDX-License-Identifier: MIT
// NumberToText on any double: OverflowError for infinities and NaN, otherwise a text of the
// documented form that reads back as the value rounded to 15 significant digits.
#include "conversion/number_text.h"
#include "conversion_oracle.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace oracle;

void Check(double value) {
    std::string text;
    try {
        text = conversion::NumberToText(value);
    } catch (const conversion::OverflowError&) {
        if (!std::isfinite(value))
            return;
        Fail("NumberToText(" + Describe(value) + ") threw OverflowError for a finite value");
    } catch (const std::exception& error) {
        Fail("NumberToText(" + Describe(value) + ") threw " + error.what());
    }
    if (!std::isfinite(value))
        Fail("NumberToText(" + Describe(value) + ") gave " + Quoted(text) +
             " instead of OverflowError");
    const std::string problem = CheckNumberText(value, text);
    if (!problem.empty())
        Fail("NumberToText(" + Describe(value) + ") gave " + Quoted(text) + ": " + problem);
}

} // namespace

// Layout: 8 bytes of a double (zero-padded); with two more bytes, also a decimal-looking value
// made of the same 8 bytes as a signed mantissa of up to 16 digits, the 9th byte as a power of ten
// and the 10th as one of the formulas applied to it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
    Check(std::bit_cast<double>(bits));
    if (size < 10)
        return 0;

    const auto magnitude = static_cast<long long>(bits % 10'000'000'000'000'000ULL);
    const long long mantissa = (bits >> 63) != 0 ? -magnitude : magnitude;
    const int power = data[8] % 64 - 40;
    char numeral[48];
    std::snprintf(numeral, sizeof numeral, "%llde%d", mantissa, power);
    const double decimal = std::strtod(numeral, nullptr);
    Check(decimal);
    Check(std::nextafter(decimal, -INFINITY));
    Check(std::nextafter(decimal, INFINITY));
    Check(ApplyFormula(data[9] % kFormulas, decimal));
    return 0;
}
