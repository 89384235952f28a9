// SPDX-License-Identifier: MIT
#include "conversion/convert_input.h"
#include "conversion/number_text.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// What the boxes show for everyday inputs: whole and one-decimal temperatures through all the
// formulas. About half need all 15 digits (37.7777777777778), half are short (98.6, 212).
std::vector<double> TypicalResults() {
    std::vector<double> results;
    for (int tenths = -500; tenths <= 4000; tenths += 7) {
        const double x = tenths / 10.0;
        results.push_back(((x - 32) / 9) * 5);
        results.push_back(((x - 32) * 5) / 9 + 273.15);
        results.push_back(((x * 9) / 5) + 32);
        results.push_back(x + 273);
        results.push_back(((x - 273) * 1.8) + 32);
        results.push_back(x - 273);
    }
    return results;
}

const std::vector<double>& Results() {
    static const std::vector<double> results = TypicalResults();
    return results;
}

void BM_NumberToText(benchmark::State& state) {
    const auto& values = Results();
    std::size_t i = 0;
    for (auto _ : state) {
        std::string text = conversion::NumberToText(values[i]);
        benchmark::DoNotOptimize(text);
        i = i + 1 == values.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_NumberToText);

void BM_Snprintf15G(benchmark::State& state) {
    const auto& values = Results();
    std::size_t i = 0;
    char buffer[32];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, "%.15G", values[i]);
        benchmark::DoNotOptimize(buffer);
        i = i + 1 == values.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_Snprintf15G);

// What users type: short numerals with at most a few decimals.
const std::array<const char*, 10> kTypedTexts = {
    "37", "100", "273.15", "98.6", ".5", "007", "212", "-40", "1234.5678", "0.001",
};

void BM_TextToNumber(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(conversion::TextToNumber(kTypedTexts[i]));
        i = i + 1 == kTypedTexts.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_TextToNumber);

void BM_Strtod(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strtod(kTypedTexts[i], nullptr));
        i = i + 1 == kTypedTexts.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_Strtod);

// Keeps the three texts as a window would; the strings keep their capacity between runs.
class StoringView : public conversion::ConverterView {
public:
    StoringView(std::string input, std::string scale)
        : m_input(std::move(input))
        , m_scale(std::move(scale)) {}

    std::string inputText() const override { return m_input; }
    std::string scaleName() const override { return m_scale; }
    void setOutputText(conversion::OutputBox box, std::string_view text) override {
        m_boxes[static_cast<std::size_t>(box)].assign(text);
    }

private:
    std::string m_input;
    std::string m_scale;
    std::array<std::string, 3> m_boxes;
};

void BM_ConvertInput(benchmark::State& state, const char* input, const char* scale) {
    StoringView view(input, scale);
    for (auto _ : state) {
        conversion::ConvertInput(view);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_ConvertInput, Fahrenheit, "100", "Fahrenheit");
BENCHMARK_CAPTURE(BM_ConvertInput, Celsius, "37", "Celsius");
BENCHMARK_CAPTURE(BM_ConvertInput, Kelvin, "273.15", "Kelvin");

} // namespace

BENCHMARK_MAIN();
