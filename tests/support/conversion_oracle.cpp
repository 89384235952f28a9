// SPDX-License-Identifier: MIT
#include "conversion_oracle.h"

#include <bit>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace oracle {

namespace {

// Qt sets the process locale from the environment; the references read and write the C way.
#ifdef _WIN32
// Windows has no uselocale: the C locale is set for this thread only, and put back after.
class CLocaleScope {
public:
    CLocaleScope()
        : m_mode(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE))
        , m_previous(setlocale(LC_ALL, nullptr)) {
        setlocale(LC_ALL, "C");
    }
    ~CLocaleScope() {
        setlocale(LC_ALL, m_previous.c_str());
        _configthreadlocale(m_mode);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    int m_mode;
    std::string m_previous;
};
#else
class CLocaleScope {
public:
    CLocaleScope()
        : m_previous(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t cLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
        return c;
    }
    locale_t m_previous;
};
#endif

// The model's formulas must round after every single operation, like the engine's.
static_assert(FLT_EVAL_METHOD == 0, "build with SSE2 floating point");

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsSign(char c) {
    return c == '+' || c == '-';
}

} // namespace

void Fail(const std::string& message) {
    std::fprintf(stderr, "\n*** oracle failure: %s\n\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string Describe(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%a (%.17g)", value, value);
    return buffer;
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        std::size_t run = 1;
        while (i + run < text.size() && text[i + run] == c)
            ++run;
        std::string shown(1, c);
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f || c == '"' || c == '\\') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown = escape;
        }
        // Long numerals stay readable: a run of one character is shown as {N x c}.
        if (run >= 12) {
            out += "{" + std::to_string(run) + " x " + shown + "}";
            i += run;
        } else {
            out += shown;
            ++i;
        }
    }
    return out + "\"";
}

bool IsWellFormedNumeral(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    const auto skipDigits = [&] {
        const std::size_t start = i;
        while (i < n && IsDigit(text[i]))
            ++i;
        return i - start;
    };

    while (i < n && IsBlank(text[i]))
        ++i;
    if (i < n && IsSign(text[i]))
        ++i;
    const std::size_t integerDigits = skipDigits();
    std::size_t fractionDigits = 0;
    if (i < n && text[i] == '.') {
        ++i;
        fractionDigits = skipDigits();
    }
    if (integerDigits + fractionDigits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && IsSign(text[i]))
            ++i;
        if (skipDigits() == 0)
            return false;
    }
    while (i < n && IsBlank(text[i]))
        ++i;
    return i == n;
}

Reading ReferenceRead(std::string_view text) {
    if (!IsWellFormedNumeral(text))
        return {Reading::NotANumber, 0};
    const std::string terminated(text); // well-formed, so free of NUL bytes
    const CLocaleScope c;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(terminated.c_str(), &end);
    const bool outOfRange = errno == ERANGE;
    // The grammar and strtod must agree on where the numeral ends, or the reference is wrong.
    for (const char* p = end; *p != '\0'; ++p) {
        if (!IsBlank(*p))
            Fail("oracle: strtod stopped early in the well-formed " + Quoted(text));
    }
    if (outOfRange && std::isinf(value))
        return {Reading::Overflow, 0};
    return {Reading::Value, value};
}

std::string ReferenceText(double value) {
    const CLocaleScope c;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return std::strcmp(buffer, "-0") == 0 ? "0" : buffer;
}

std::string CheckNumberText(double value, const std::string& text) {
    if (value == 0)
        return text == "0" ? "" : "zero must be written 0";

    // The form: -?D+(\.D*[1-9])?(E[+-]DD+)?
    const std::size_t n = text.size();
    std::size_t i = 0;
    const bool minus = i < n && text[i] == '-';
    i += minus ? 1 : 0;
    const std::size_t integerStart = i;
    while (i < n && IsDigit(text[i]))
        ++i;
    const std::string integerDigits = text.substr(integerStart, i - integerStart);
    std::string fractionDigits;
    if (i < n && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < n && IsDigit(text[i]))
            ++i;
        fractionDigits = text.substr(fractionStart, i - fractionStart);
        if (fractionDigits.empty())
            return "a full stop with no digits after it";
        if (fractionDigits.back() == '0')
            return "a trailing zero after the full stop";
    }
    const bool exponentForm = i < n && text[i] == 'E';
    int writtenExponent = 0;
    if (exponentForm) {
        ++i;
        if (i == n || !IsSign(text[i]))
            return "an exponent without its sign";
        const bool negativeExponent = text[i++] == '-';
        const std::size_t exponentStart = i;
        while (i < n && IsDigit(text[i]))
            ++i;
        const std::size_t exponentDigits = i - exponentStart;
        if (exponentDigits < 2)
            return "an exponent of fewer than two digits";
        if (exponentDigits > 3)
            return "an exponent of more than three digits, beyond any double";
        writtenExponent = std::atoi(text.c_str() + exponentStart);
        if (exponentDigits > 2 && text[exponentStart] == '0')
            return "an exponent with a needless leading zero";
        writtenExponent = negativeExponent ? -writtenExponent : writtenExponent;
    }
    if (integerDigits.empty())
        return "no digit before the full stop";
    if (i != n)
        return "a stray character at offset " + std::to_string(i);
    if (minus != (value < 0))
        return "a minus sign on a non-negative value, or none on a negative one";
    if (integerDigits.size() > 1 && integerDigits[0] == '0')
        return "a leading zero";
    if (exponentForm && (integerDigits.size() != 1 || integerDigits[0] == '0'))
        return "exponent form needs exactly one non-zero digit before the full stop";
    const std::string allDigits = integerDigits + fractionDigits;
    const std::size_t firstSignificant = allDigits.find_first_not_of('0');
    if (firstSignificant != std::string::npos && allDigits.size() - firstSignificant > 15)
        return "more than 15 significant digits";

    // The value rounded to 15 significant digits, and its decimal exponent after rounding.
    const CLocaleScope c;
    char rounded[64];
    std::snprintf(rounded, sizeof rounded, "%.14e", value);
    const int exponent = std::atoi(std::strchr(rounded, 'e') + 1);
    const bool wantExponentForm = exponent < -4 || exponent >= 15;
    if (exponentForm != wantExponentForm)
        return std::string(wantExponentForm ? "fixed" : "exponent") +
               " form where the rounded value " + rounded + " needs the other";
    if (exponentForm && writtenExponent != exponent)
        return std::string("exponent ") + std::to_string(writtenExponent) + " for " + rounded;
    // Both sides overflow alike for values that round up past DBL_MAX (1.79769313486232E+308).
    const double expected = std::strtod(rounded, nullptr);
    const double readBack = std::strtod(text.c_str(), nullptr);
    if (!SameBits(readBack, expected))
        return "reads back as " + Describe(readBack) + ", not as the rounded " + rounded;
    return "";
}

double ApplyFormula(int formula, double x) {
    switch (formula) {
    case 0:
        return ((x - 32) / 9) * 5;
    case 1:
        return ((x - 32) * 5) / 9 + 273.15;
    case 2:
        return ((x * 9) / 5) + 32;
    case 3:
        return ((x - 273) * 1.8) + 32;
    case 4:
        return x - 273;
    default:
        return x + 273;
    }
}

ModelRun ModelConvert(const std::string& input, const std::string& scale) {
    ModelRun run;
    int branch = -1;
    if (scale == "Fahrenheit")
        branch = 0;
    else if (scale == "Celsius")
        branch = 1;
    else if (scale == "Kelvin")
        branch = 2;
    if (input.empty() || branch < 0)
        return run;

    const Reading x = ReferenceRead(input);
    const auto echo = [&] {
        run.writes.push_back({branch, input + std::string(kSuffixes[branch])});
    };
    // Writes a computed box, or ends the run; false when the run has ended.
    // An infinity means that some step overflowed, since the input is finite.
    const auto write = [&](int box, int formula) {
        const double result = ApplyFormula(formula, x.value);
        if (!std::isfinite(result)) {
            run.outcome = ModelRun::OverflowError;
            return false;
        }
        run.writes.push_back({box, ReferenceText(result) + std::string(kSuffixes[box])});
        return true;
    };

    if (branch == 0)
        echo();
    if (x.kind != Reading::Value) {
        run.outcome =
            x.kind == Reading::NotANumber ? ModelRun::ConversionError : ModelRun::OverflowError;
        return run;
    }
    switch (branch) {
    case 0:
        if (write(1, 0))
            write(2, 1);
        break;
    case 1:
        if (write(0, 2)) {
            echo();
            write(2, 5);
        }
        break;
    case 2:
        if (write(0, 3) && write(1, 4))
            echo();
        break;
    }
    return run;
}

} // namespace oracle
