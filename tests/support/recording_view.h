// SPDX-License-Identifier: MIT
#pragma once

#include "conversion/convert_input.h"
#include "conversion_oracle.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace oracle {

// A window for the engine alone: it keeps the boxes' texts as a window does and logs every
// write, in order (box 0, 1, 2 for Text2, Text3, Text4), as the model does.
class RecordingView : public conversion::ConverterView {
public:
    RecordingView() = default;
    RecordingView(std::string input, std::string scale)
        : input(std::move(input))
        , scale(std::move(scale)) {}

    std::string input;
    std::string scale = "Celsius";
    std::array<std::string, 3> boxes;
    std::vector<ModelRun::Write> writes;
    std::function<void(RecordingView&, conversion::OutputBox)> onWrite; // runs after each write

    std::string inputText() const override { return input; }
    std::string scaleName() const override { return scale; }
    void setOutputText(conversion::OutputBox box, std::string_view text) override {
        const auto index = static_cast<std::size_t>(box);
        boxes[index] = text;
        writes.push_back({static_cast<int>(index), std::string(text)});
        if (onWrite)
            onWrite(*this, box);
    }
};

// The writes as "Text2=212°F", for tables and messages.
inline std::vector<std::string> Named(const std::vector<ModelRun::Write>& writes) {
    std::vector<std::string> named;
    for (const ModelRun::Write& write : writes)
        named.push_back("Text" + std::to_string(write.box + 2) + "=" + write.text);
    return named;
}

} // namespace oracle
