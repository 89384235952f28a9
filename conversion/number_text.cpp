// SPDX-License-Identifier: MIT
#include "conversion/number_text.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <system_error>

namespace conversion {

namespace detail {
void ThrowOverflowError() {
    throw OverflowError();
}
} // namespace detail

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Far beyond any exponent that matters (|exponent| > 400 is out of range either way), small enough
// that adding the digit count of any text held in memory cannot overflow.
constexpr std::int64_t kExponentCap = std::int64_t{1} << 50;

constexpr int kSignificantDigits = 15;

// Fast path of TextToNumber: a mantissa below 10^15 < 2^53 and a power of ten up to 10^22 are
// both exact doubles.
constexpr std::int64_t kFastPathDigits = 15;
constexpr std::int64_t kMaxExactPower = 22;
constexpr double kPowersOfTen[kMaxExactPower + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// One rounded operation must give a double, not a wider value rounded twice (x87 without SSE2).
static_assert(FLT_EVAL_METHOD == 0, "build with SSE2 floating point");

} // namespace

double TextToNumber(std::string_view text) {
    const auto* first = text.data();
    const auto* last = first + text.size();
    while (first != last && IsBlank(*first))
        ++first;
    while (last != first && IsBlank(last[-1]))
        --last;

    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }

    // Validate the whole numeral before from_chars sees it: from_chars would also take "inf", "nan"
    // and stop silently at junk. On the way, keep the leading digits for the fast path below and
    // note where the leading non-zero digit sits, which tells overflow from underflow.
    const auto* p = first;
    bool anyDigit = false;
    bool seenNonZero = false;
    std::uint64_t mantissa = 0;   // the leading significant digits, while they fit
    std::int64_t significant = 0; // digits from the leading non-zero one on
    std::int64_t fractionDigits = 0;
    std::int64_t fractionZeros = 0; // zeros after the full stop before the leading non-zero digit
    const auto addDigit = [&](char c) {
        anyDigit = true;
        seenNonZero = seenNonZero || c != '0';
        if (seenNonZero) {
            if (significant < kFastPathDigits)
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++significant;
        }
    };
    for (; p != last && IsDigit(*p); ++p)
        addDigit(*p);
    const std::int64_t integerDigits = significant;
    if (p != last && *p == '.') {
        for (++p; p != last && IsDigit(*p); ++p) {
            fractionZeros += seenNonZero || *p != '0' ? 0 : 1;
            ++fractionDigits;
            addDigit(*p);
        }
    }
    if (!anyDigit)
        throw ConversionError();

    std::int64_t exponent = 0;
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = false;
        if (p != last && (*p == '+' || *p == '-')) {
            negativeExponent = *p == '-';
            ++p;
        }
        if (p == last || !IsDigit(*p))
            throw ConversionError();
        for (; p != last && IsDigit(*p); ++p)
            exponent = std::min(exponent * 10 + (*p - '0'), kExponentCap);
        if (negativeExponent)
            exponent = -exponent;
    }
    if (p != last)
        throw ConversionError();

    // Typed numbers are short: up to 15 digits make an integer that a double holds exactly, and
    // so does every power of ten up to 1E+22, so one multiplication or division, rounded once,
    // gives the correctly rounded result. Everything else goes to from_chars.
    const std::int64_t power = exponent - fractionDigits;
    if (significant <= kFastPathDigits && power >= -kMaxExactPower && power <= kMaxExactPower) {
        const auto scaled = static_cast<double>(mantissa);
        const double value =
            power < 0 ? scaled / kPowersOfTen[-power] : scaled * kPowersOfTen[power];
        return negative ? -value : value;
    }

    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // libstdc++ reports both overflow and underflow this way and leaves the value unset.
        const std::int64_t leadingPower =
            integerDigits > 0 ? integerDigits - 1 : -fractionZeros - 1;
        if (seenNonZero && leadingPower + exponent >= 0)
            throw OverflowError();
        value = 0; // underflow: the nearest double is zero
    } else if (ec != std::errc{} || end != last) {
        throw ConversionError();
    }
    return negative ? -value : value;
}

std::string NumberToText(double value) {
    if (!std::isfinite(value))
        throw OverflowError();
    if (value == 0)
        return "0"; // also for -0

    // to_chars rounds the exact binary value to 15 significant digits: "-d.ddddddddddddddde-dd".
    char scientific[32];
    const auto [sciEnd, ec] = std::to_chars(scientific, scientific + sizeof scientific, value,
                                            std::chars_format::scientific, kSignificantDigits - 1);
    (void)ec; // the buffer holds any double at this precision

    const char* s = scientific;
    const bool negative = *s == '-';
    s += negative ? 1 : 0;
    char digits[kSignificantDigits];
    digits[0] = *s;
    std::copy_n(s + 2, kSignificantDigits - 1, digits + 1);
    s += 2 + (kSignificantDigits - 1) + 1; // past the digits and the 'e'
    const bool negativeExponent = *s == '-';
    int exponent = 0;
    for (++s; s != sciEnd; ++s)
        exponent = exponent * 10 + (*s - '0');
    exponent = negativeExponent ? -exponent : exponent;

    int count = kSignificantDigits;
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char out[40];
    char* o = out;
    if (negative)
        *o++ = '-';
    if (exponent < -4 || exponent >= kSignificantDigits) {
        *o++ = digits[0];
        if (count > 1) {
            *o++ = '.';
            o = std::copy(digits + 1, digits + count, o);
        }
        *o++ = 'E';
        *o++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude >= 100)
            *o++ = static_cast<char>('0' + magnitude / 100);
        *o++ = static_cast<char>('0' + magnitude / 10 % 10);
        *o++ = static_cast<char>('0' + magnitude % 10);
    } else if (exponent >= 0) {
        const int integerCount = exponent + 1;
        if (count <= integerCount) {
            o = std::copy(digits, digits + count, o);
            o = std::fill_n(o, integerCount - count, '0');
        } else {
            o = std::copy(digits, digits + integerCount, o);
            *o++ = '.';
            o = std::copy(digits + integerCount, digits + count, o);
        }
    } else {
        *o++ = '0';
        *o++ = '.';
        o = std::fill_n(o, -exponent - 1, '0');
        o = std::copy(digits, digits + count, o);
    }
    return std::string(out, o);
}

} // namespace conversion
