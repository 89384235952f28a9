// SPDX-License-Identifier: MIT
#include "ConversionModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace session {

namespace {

const std::string degreesF = "\u00b0F";
const std::string degreesC = "\u00b0C";
const std::string degreesK = "\u00b0K";

// Qt sets the process locale from the environment; the model must not depend on it.
class CLocaleScope {
public:
    explicit CLocaleScope(locale_t c)
        : m_previous(uselocale(c)) {}
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

// Carries a failed step out of a branch; the boxes already written stay.
struct Failed {
    ConversionModel::Problem problem;
};

double checked(double result) {
    if (!std::isfinite(result))
        throw Failed{ConversionModel::Problem::OutOfRange};
    return result;
}

} // namespace

ConversionModel::ConversionModel()
    : m_c(newlocale(LC_ALL_MASK, "C", locale_t{})) {
    if (m_c == locale_t{})
        throw std::runtime_error("no C locale");
}

ConversionModel::~ConversionModel() {
    freelocale(m_c);
}

std::optional<double> ConversionModel::read(std::string_view text) const {
    const auto stops = std::count(text.begin(), text.end(), '.');
    const bool onlyNumeralCharacters = std::all_of(
        text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    if (!onlyNumeralCharacters || stops > 1 || static_cast<std::size_t>(stops) == text.size())
        return std::nullopt;
    const CLocaleScope c(m_c);
    const std::string numeral(text);
    char* end = nullptr;
    const double value = std::strtod(numeral.c_str(), &end); // underflow reads as the nearest
    if (end != numeral.c_str() + numeral.size())
        return std::nullopt;
    return value;
}

std::string ConversionModel::write(double value) const {
    const CLocaleScope c(m_c);
    char text[64];
    std::snprintf(text, sizeof text, "%.15G", value);
    const std::string written(text);
    return written == "-0" ? std::string("0") : written;
}

ConversionModel::Problem ConversionModel::run(std::string_view input, std::string_view scale,
                                              Boxes& boxes) const {
    const auto x = [&] {
        const std::optional<double> value = read(input);
        if (!value)
            throw Failed{Problem::NotANumber};
        return checked(*value);
    };
    const auto echo = [&](const std::string& unit) {
        return std::string(input) + unit;
    };
    try {
        if (scale == "Fahrenheit") {
            boxes[0] = echo(degreesF);
            boxes[1] = write(checked(checked(checked(x() - 32) / 9) * 5)) + degreesC;
            boxes[2] =
                write(checked(checked(checked(checked(x() - 32) * 5) / 9) + 273.15)) + degreesK;
        } else if (scale == "Celsius") {
            boxes[0] = write(checked(checked(checked(x() * 9) / 5) + 32)) + degreesF;
            boxes[1] = echo(degreesC);
            boxes[2] = write(checked(x() + 273)) + degreesK;
        } else if (scale == "Kelvin") {
            boxes[0] = write(checked(checked(checked(x() - 273) * 1.8) + 32)) + degreesF;
            boxes[1] = write(checked(x() - 273)) + degreesC;
            boxes[2] = echo(degreesK);
        }
    } catch (const Failed& failed) {
        return failed.problem;
    }
    return Problem::None;
}

} // namespace session
