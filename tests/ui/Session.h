// SPDX-License-Identifier: MIT
#pragma once

#include "FakeRuntime.h"
#include "design/texts.h"
#include "ui/Program.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The program started on the fake runtime, with the main window up, as a user finds it.
struct Session {
    fake::Runtime runtime;
    ui::Program program{runtime};

    Session() { EXPECT_EQ(program.run(), 0); }

    fake::Window* main() const { return runtime.window(design::text::title); }
    fake::Window* about() const { return runtime.window(design::text::aboutTitle); }
    fake::TextBox& box(std::string_view name) const { return main()->textBox(name); }
    fake::TextBox& input() const { return box("Text1"); }
    fake::ComboBox& scale() const { return main()->comboBox(); }
    std::vector<std::string> outputs() const {
        return {box("Text2").text(), box("Text3").text(), box("Text4").text()};
    }
    // The texts of the message boxes shown so far.
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const fake::Message& message : runtime.messages())
            texts.push_back(message.text);
        return texts;
    }
};
