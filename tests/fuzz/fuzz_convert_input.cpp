// SPDX-License-Identifier: MIT
// ConvertInput against a model built on strtod and printf: the same writes, in the same order,
// each complete, and the same error at the same point.
#include "conversion/convert_input.h"
#include "conversion/number_text.h"
#include "conversion_oracle.h"
#include "recording_view.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace oracle;

const char* OutcomeName(ModelRun::Outcome outcome) {
    switch (outcome) {
    case ModelRun::Completes:
        return "completes";
    case ModelRun::ConversionError:
        return "ConversionError";
    case ModelRun::OverflowError:
        return "OverflowError";
    }
    return "?";
}

std::string Listing(const std::vector<ModelRun::Write>& writes, ModelRun::Outcome outcome) {
    std::string text;
    for (const auto& write : writes)
        text += "Text" + std::to_string(write.box + 2) + "=" + Quoted(write.text) + ", ";
    return text + OutcomeName(outcome);
}

// Checks that need no model: boxes in the order Text2, Text3, Text4, each at most once, each
// text whole (the echo exactly, a computed value a number text followed by the suffix).
void CheckShape(const RecordingView& view, const std::string& input, int echoBox) {
    int previous = -1;
    for (const auto& write : view.writes) {
        if (write.box <= previous)
            Fail("box Text" + std::to_string(write.box + 2) + " written out of order or twice");
        previous = write.box;
        const std::string_view suffix = kSuffixes[write.box];
        if (write.box == echoBox) {
            if (write.text != input + std::string(suffix))
                Fail("the echo box holds " + Quoted(write.text) + " for the input " +
                     Quoted(input));
            continue;
        }
        const std::string_view text = write.text;
        if (text.size() < suffix.size() || text.substr(text.size() - suffix.size()) != suffix)
            Fail("the computed box Text" + std::to_string(write.box + 2) + " holds " +
                 Quoted(text) + " without its suffix");
        const std::string number(text.substr(0, text.size() - suffix.size()));
        const Reading reading = ReferenceRead(number);
        if (reading.kind != Reading::Value)
            Fail("the computed box Text" + std::to_string(write.box + 2) + " holds " +
                 Quoted(text) + ", which is not a finite number text");
    }
}

} // namespace

// Layout: the first byte picks the scale name: Fahrenheit, Celsius, Kelvin, or (4th choice) a raw
// name whose length is the second byte; the rest is the input text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kNames[] = {"Fahrenheit", "Celsius", "Kelvin"};
    if (size == 0)
        return 0;
    const auto* bytes = reinterpret_cast<const char*>(data);
    std::size_t offset = 1;
    std::string scale;
    if (data[0] % 4 < 3) {
        scale = kNames[data[0] % 4];
    } else if (size > 1) {
        const std::size_t length = std::min<std::size_t>(data[1], size - 2);
        scale.assign(bytes + 2, length);
        offset = 2 + length;
    }
    const std::string input(bytes + offset, size - offset);

    const ModelRun expected = ModelConvert(input, scale);
    RecordingView view(input, scale);
    ModelRun::Outcome outcome = ModelRun::Completes;
    try {
        conversion::ConvertInput(view);
    } catch (const conversion::ConversionError&) {
        outcome = ModelRun::ConversionError;
    } catch (const conversion::OverflowError&) {
        outcome = ModelRun::OverflowError;
    } catch (const std::exception& error) {
        Fail("ConvertInput(" + Quoted(input) + ", " + Quoted(scale) + ") threw " + error.what());
    }

    int echoBox = -1;
    for (int box = 0; box < 3; ++box)
        echoBox = scale == kNames[box] ? box : echoBox;
    CheckShape(view, input, echoBox);
    if (view.writes != expected.writes || outcome != expected.outcome)
        Fail("ConvertInput(" + Quoted(input) + ", " + Quoted(scale) +
             ")\n  did:      " + Listing(view.writes, outcome) +
             "\n  expected: " + Listing(expected.writes, expected.outcome));
    return 0;
}
