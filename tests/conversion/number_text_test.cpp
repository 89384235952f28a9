// SPDX-License-Identifier: MIT
#include "conversion/number_text.h"

#include <bit>
#include <cfloat>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <type_traits>

namespace {

using conversion::Checked;
using conversion::ConversionError;
using conversion::NumberToText;
using conversion::OverflowError;
using conversion::TextToNumber;

static_assert(std::is_base_of_v<std::runtime_error, ConversionError>);
static_assert(std::is_base_of_v<std::runtime_error, OverflowError>);
static_assert(!std::is_base_of_v<ConversionError, OverflowError> &&
              !std::is_base_of_v<OverflowError, ConversionError>);

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMinSubnormal = std::numeric_limits<double>::denorm_min();

enum class Outcome { Value, NotANumber, Overflow };

struct ReadRow {
    const char* name;
    std::string text;
    Outcome outcome;
    double value = 0;
};

// Compares bit patterns, so that -0 and 0 are told apart and the last bit counts.
void ExpectRead(const ReadRow& row) {
    SCOPED_TRACE(row.name);
    switch (row.outcome) {
    case Outcome::Value:
        EXPECT_EQ(std::bit_cast<std::uint64_t>(TextToNumber(row.text)),
                  std::bit_cast<std::uint64_t>(row.value))
            << "text \"" << row.text << "\" expected " << row.value;
        break;
    case Outcome::NotANumber:
        EXPECT_THROW(TextToNumber(row.text), ConversionError) << "text \"" << row.text << "\"";
        break;
    case Outcome::Overflow:
        EXPECT_THROW(TextToNumber(row.text), OverflowError) << "text \"" << row.text << "\"";
        break;
    }
}

struct WriteRow {
    const char* name;
    double value;
    const char* text;
};

// The worked examples in number_text.h, kept true here.
TEST(HeaderExamples, TextToNumber) {
    const ReadRow rows[] = {
        {"plain", "37", Outcome::Value, 37},
        {"leading zeros", "037", Outcome::Value, 37},
        {"trailing full stop", "1.", Outcome::Value, 1},
        {"leading full stop", ".5", Outcome::Value, 0.5},
        {"blanks and exponent", " 2.5E-3 ", Outcome::Value, 0.0025},
        {"minus", "-4", Outcome::Value, -4},
        {"plus and exponent", "+1e5", Outcome::Value, 100000},
        {"too small reads as zero", "1E-401", Outcome::Value, 0},
        {"empty", "", Outcome::NotANumber},
        {"lone full stop", ".", Outcome::NotANumber},
        {"two full stops", "..", Outcome::NotANumber},
        {"1.2.3", "1.2.3", Outcome::NotANumber},
        {"lone sign", "-", Outcome::NotANumber},
        {"thousands comma", "1,000", Outcome::NotANumber},
        {"thousands blank", "1 000", Outcome::NotANumber},
        {"hex", "0x1A", Outcome::NotANumber},
        {"inf", "inf", Outcome::NotANumber},
        {"nan", "nan", Outcome::NotANumber},
        {"exponent without digits", "1e", Outcome::NotANumber},
        {"exponent sign without digits", "1e+", Outcome::NotANumber},
        {"1 and 309 zeros", "1" + std::string(309, '0'), Outcome::Overflow},
    };
    for (const auto& row : rows)
        ExpectRead(row);
}

TEST(HeaderExamples, NumberToText) {
    const WriteRow rows[] = {
        {"Kelvin 100 F", 37.77777777777778, "37.7777777777778"},
        {"integral", 212.0, "212"},
        {"273.15 - 273", 273.15 - 273, "0.149999999999977"},
        {"one third", 1.0 / 3, "0.333333333333333"},
        {"negative", -17.77777777777778, "-17.7777777777778"},
        {"negative zero", -0.0, "0"},
        {"15 nines", 999999999999999.0, "999999999999999"},
        {"1E+15", 1e15, "1E+15"},
        {"18 digits", 123456789012345678.0, "1.23456789012346E+17"},
        {"0.0001", 0.0001, "0.0001"},
        {"0.00001", 0.00001, "1E-05"},
        {"1E+308", 1e308, "1E+308"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(NumberToText(row.value), row.text);
    }
    EXPECT_THROW(NumberToText(kInf), OverflowError);
}

TEST(TextToNumber, ValidForms) {
    const ReadRow rows[] = {
        {"zero", "0", Outcome::Value, 0},
        {"zeros", "000", Outcome::Value, 0},
        {"zero and full stop", "0.", Outcome::Value, 0},
        {"minus zero keeps its sign", "-0", Outcome::Value, -0.0},
        {"tabs around", "\t7\t", Outcome::Value, 7},
        {"blanks around sign", "  -7.25  ", Outcome::Value, -7.25},
        {"capital exponent with plus", "1E+05", Outcome::Value, 1e5},
        {"exponent after full stop", "5.e-1", Outcome::Value, 0.5},
        {"exponent after fraction only", ".5e1", Outcome::Value, 5},
        {"exponent with leading zeros", "1e007", Outcome::Value, 1e7},
        {"one tenth", "0.1", Outcome::Value, 0.1},
        {"typical Kelvin", "273.15", Outcome::Value, 273.15},
        // Hand-rolled accumulation gets these wrong: they need every digit to round correctly.
        {"2^53 + 1 ties to even", "9007199254740993", Outcome::Value, 9007199254740992.0},
        {"just above the tie rounds up", "9007199254740993.0000000000000000000001", Outcome::Value,
         9007199254740994.0},
        {"halfway after 1 ties to even", "1.00000000000000011102230246251565404236316680908203125",
         Outcome::Value, 1.0},
        {"beyond halfway after 1 rounds up",
         "1.00000000000000011102230246251565404236316680908203125000000000000001", Outcome::Value,
         1.0000000000000002},
        {"smallest normal", "2.2250738585072014e-308", Outcome::Value, DBL_MIN},
        {"subnormal is no underflow", "4e-320", Outcome::Value, 4e-320},
    };
    for (const auto& row : rows)
        ExpectRead(row);
}

TEST(TextToNumber, Malformed) {
    const ReadRow rows[] = {
        {"only blanks", "   ", Outcome::NotANumber},
        {"full stop in blanks", " . ", Outcome::NotANumber},
        {"two full stops after digits", "1..", Outcome::NotANumber},
        {"two full stops apart", "1.2.", Outcome::NotANumber},
        {"lone plus", "+", Outcome::NotANumber},
        {"two signs", "+-1", Outcome::NotANumber},
        {"trailing sign", "1-", Outcome::NotANumber},
        {"comma decimal", "1,5", Outcome::NotANumber},
        {"underscore", "1_000", Outcome::NotANumber},
        {"hex float", "0x1p3", Outcome::NotANumber},
        {"signed inf", "-inf", Outcome::NotANumber},
        {"capital NAN", "NAN", Outcome::NotANumber},
        {"exponent alone", "e5", Outcome::NotANumber},
        {"exponent after lone full stop", ".e5", Outcome::NotANumber},
        {"fractional exponent", "1e5.5", Outcome::NotANumber},
        {"suffix letter", "1.5f", Outcome::NotANumber},
        {"degree sign", "37\xC2\xB0", Outcome::NotANumber},
        {"fullwidth digit", "\xEF\xBC\x93", Outcome::NotANumber},
        {"no-break space", "\302\2401", Outcome::NotANumber},
        {"newline", "1\n", Outcome::NotANumber},
        {"embedded NUL", std::string("1\0002", 3), Outcome::NotANumber},
    };
    for (const auto& row : rows)
        ExpectRead(row);
}

// DBL_MAX is (2^53 - 1) * 2^971; texts from there up to the midpoint 2^1024 - 2^970 round down to
// it, the midpoint itself ties to the even neighbour, which is 2^1024 and thus infinite.
const std::string kDblMax = "1797693134862315708145274237317043567980705675258449965989174768031572"
                            "6078002853876058955863276"
                            "6878171540458953514382464234321326889464182768467546703537516986049910"
                            "5765512820762454900903893"
                            "2894407586850845513394230458323690322294816580855933212334827479782620"
                            "4144723168738177180919299"
                            "881250404026184124858368";
const std::string kMidpointAboveMax = "179769313486231580793728971405303415079934132710037826936173"
                                      "77898044496829276475094664901797758"
                                      "720709633028641669288791094655554785194040263065748867150582"
                                      "06819089020007083836762738548458177"
                                      "115317644757302700698555713669596228429148198608349364752927"
                                      "19074168444365510704342711559699508"
                                      "093042880177904174497792";

TEST(TextToNumber, Range) {
    std::string belowMidpoint = kMidpointAboveMax;
    belowMidpoint.back() = '1';
    const ReadRow rows[] = {
        {"400 digits", std::string(400, '9'), Outcome::Overflow},
        {"400 digits after a full stop", "." + std::string(400, '9'), Outcome::Value, 1.0},
        {"DBL_MAX exactly", kDblMax, Outcome::Value, DBL_MAX},
        {"just below the midpoint above DBL_MAX", belowMidpoint + ".999999999999999999999",
         Outcome::Value, DBL_MAX},
        {"midpoint above DBL_MAX ties to infinity", kMidpointAboveMax, Outcome::Overflow},
        {"negative midpoint", "-" + kMidpointAboveMax, Outcome::Overflow},
        {"1e309", "1e309", Outcome::Overflow},
        {"small mantissa, large exponent", "0.0001e313", Outcome::Overflow},
        {"huge exponent", "1e99999999999999999999999", Outcome::Overflow},
        {"negative too small reads as minus zero", "-1E-401", Outcome::Value, -0.0},
        {"below half the least subnormal", "2e-324", Outcome::Value, 0},
        {"above half the least subnormal", "3e-324", Outcome::Value, kMinSubnormal},
        {"large mantissa, tiny exponent", "1000e-330", Outcome::Value, 0},
        {"hugely negative exponent", "1e-99999999999999999999999", Outcome::Value, 0},
        {"zero with huge exponent", "0e99999999999999999999999", Outcome::Value, 0},
        {"many zeros then huge exponent", "0." + std::string(1000, '0') + "1e1300", Outcome::Value,
         1e299},
    };
    for (const auto& row : rows)
        ExpectRead(row);
}

// A pasted megabyte must not freeze the window: the cost is a scan, not big-number arithmetic.
TEST(TextToNumber, MegabyteNumeralsAreCheap) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    std::string fraction = "77777." + std::string(kMiB, '7');
    std::string tiny = "0." + std::string(kMiB, '0') + "5e1048576";
    const ReadRow rows[] = {
        {"long fraction", fraction, Outcome::Value, 77777.77777777778},
        {"long run of zeros with exponent", tiny, Outcome::Value, 0.5},
        {"long integer", std::string(kMiB, '1'), Outcome::Overflow},
        {"long run of full stops", std::string(kMiB, '.'), Outcome::NotANumber},
    };
    for (const auto& row : rows) {
        const auto start = std::chrono::steady_clock::now();
        ExpectRead(row);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        // Milliseconds in a plain build; the bound leaves room for sanitizers and a busy machine.
        EXPECT_LT(elapsed, std::chrono::milliseconds(500)) << row.name;
    }
}

TEST(NumberToText, Format) {
    const WriteRow rows[] = {
        {"zero", 0.0, "0"},
        {"one", 1.0, "1"},
        {"half", 0.5, "0.5"},
        {"no representation error shows", 0.1 + 0.2, "0.3"},
        {"rounds at the 15th digit", 123456789012345.6, "123456789012346"},
        {"14 digits", 1e14, "100000000000000"},
        {"rounding carries into 1E+15", 999999999999999.5, "1E+15"},
        {"rounding carries into 0.0001", 0.000099999999999999995, "0.0001"},
        {"just below 0.0001", 0.00009999999999999, "9.999999999999E-05"},
        {"small with digits", -1.5e-7, "-1.5E-07"},
        {"three exponent digits below", 1.5e-100, "1.5E-100"},
        {"DBL_MAX", DBL_MAX, "1.79769313486232E+308"},
        {"-DBL_MAX", -DBL_MAX, "-1.79769313486232E+308"},
        {"DBL_MIN", DBL_MIN, "2.2250738585072E-308"},
        {"least subnormal", kMinSubnormal, "4.94065645841247E-324"},
        {"Fahrenheit result of Kelvin 0", -459.4, "-459.4"},
        {"Kelvin result of 100 F", 310.92777777777775, "310.927777777778"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(NumberToText(row.value), row.text);
    }
}

TEST(NumberToText, NonFiniteIsOverflow) {
    for (double value : {kInf, -kInf, kNaN}) {
        SCOPED_TRACE(value);
        EXPECT_THROW(NumberToText(value), OverflowError);
    }
}

// The decimal separator stays a full stop whatever the C locale says.
TEST(NumberTextLocale, CommaDecimalChangesNothing) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    // POSIX names, then the Windows C runtime's.
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8",          "fr_FR.UTF-8",
                                "fr_FR.utf8",  "German_Germany.1252", "French_France.1252"};
    const char* chosen = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr)
        GTEST_SKIP() << "no comma-decimal locale installed";
    const std::string text = NumberToText(1234.5);
    const bool commaRejected = [] {
        try {
            TextToNumber("0,5");
            return false;
        } catch (const ConversionError&) {
            return true;
        }
    }();
    const double read = TextToNumber("0.5");
    std::setlocale(LC_ALL, saved.c_str());

    EXPECT_EQ(text, "1234.5") << chosen;
    EXPECT_EQ(read, 0.5) << chosen;
    EXPECT_TRUE(commaRejected) << chosen;
}

TEST(CheckedArithmetic, EveryStepIsChecked) {
    struct Row {
        const char* name;
        double (*compute)();
        bool overflows;
        double value = 0;
    };
    const Row rows[] = {
        {"rounded like plain doubles", [] { return (Checked(0.1) + 0.2).value(); }, false,
         0.30000000000000004},
        {"DBL_MAX survives a neutral step", [] { return (Checked(DBL_MAX) * 1).value(); }, false,
         DBL_MAX},
        {"product overflows", [] { return (Checked(DBL_MAX) * 2).value(); }, true},
        {"sum overflows", [] { return (Checked(DBL_MAX) + DBL_MAX).value(); }, true},
        {"difference overflows", [] { return (Checked(-DBL_MAX) - DBL_MAX).value(); }, true},
        {"division by zero", [] { return (Checked(1) / 0).value(); }, true},
        {"zero by zero", [] { return (Checked(0) / 0).value(); }, true},
        // The first step already fails; the division that would bring it back never runs.
        {"intermediate overflow stops the formula",
         [] { return (Checked(1e308) * 10 / 100).value(); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.overflows)
            EXPECT_THROW(row.compute(), OverflowError);
        else
            EXPECT_EQ(row.compute(), row.value);
    }
}

} // namespace
