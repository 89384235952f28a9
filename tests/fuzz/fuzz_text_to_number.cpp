// SPDX-License-Identifier: MIT
// TextToNumber against strtod: every well-formed numeral reads as the very double strtod gives
// (or OverflowError where strtod overflows), everything else is ConversionError.
#include "conversion/number_text.h"
#include "conversion_oracle.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace oracle;

std::string Expectation(const Reading& reading) {
    switch (reading.kind) {
    case Reading::NotANumber:
        return "ConversionError";
    case Reading::Overflow:
        return "OverflowError";
    case Reading::Value:
        break;
    }
    return Describe(reading.value);
}

void Check(std::string_view text) {
    const Reading expected = ReferenceRead(text);
    std::string actual;
    try {
        const double value = conversion::TextToNumber(text);
        if (expected.kind == Reading::Value && SameBits(value, expected.value))
            return;
        actual = Describe(value);
    } catch (const conversion::ConversionError&) {
        if (expected.kind == Reading::NotANumber)
            return;
        actual = "ConversionError";
    } catch (const conversion::OverflowError&) {
        if (expected.kind == Reading::Overflow)
            return;
        actual = "OverflowError";
    } catch (const std::exception& error) {
        actual = std::string("an unexpected exception: ") + error.what();
    }
    Fail("TextToNumber(" + Quoted(text) + ") gave " + actual + ", expected " +
         Expectation(expected));
}

// Long runs of one digit (hundreds of zeros before an exponent, ties broken far away) are where
// reading gets hard, and random mutation rarely builds them. So a byte from 0x80 up, which no
// numeral contains, also stands for a run: it repeats the character before it 4 to 512 times.
constexpr std::size_t kExpandedLimit = 16384;

std::string Expand(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 || out.empty())
            out += c;
        else
            out.append(((byte & 0x7fU) + 1) * 4, out.back());
        if (out.size() > kExpandedLimit)
            break;
    }
    return out;
}

} // namespace

// Each input is read as it is and, when it has bytes from 0x80 up, once more with those expanded.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text);
    if (std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; }))
        Check(Expand(text));
    return 0;
}
