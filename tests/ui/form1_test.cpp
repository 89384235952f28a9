// SPDX-License-Identifier: MIT
// The main window's handlers on the fake runtime: conversion from both triggers, the keystroke
// filter, text arriving other than by typing, the length limit and the input's problem cue.
#include "Session.h"
#include "design/layout.h"
#include "ui/InputRules.h"

#include <gtest/gtest.h>

namespace {

using Outputs = std::vector<std::string>;
const std::string refused(design::text::refusedCharacter);
const std::string tooLong(design::text::tooLong);

TEST(MainWindow, IsBuiltAsDesigned) {
    Session s;
    const fake::Window& main = *s.main();
    EXPECT_EQ(main.properties().width, 572);
    EXPECT_EQ(main.properties().height, 287);
    EXPECT_STREQ(main.properties().background.name, design::pictures::background.name);
    EXPECT_FALSE(main.properties().escapeDismisses); // Escape in the input is a refused character
    EXPECT_EQ(main.shows(), 1);
    // Boxes in tab order, then the pictures from the bottom up: Image1 lies over Image3.
    EXPECT_EQ(main.order(), (std::vector<std::string>{"Text1", "Text2", "Text3", "Combo1", "Text4",
                                                      "Image3", "Image4", "Image1"}));
    for (const std::string& control : main.order()) {
        const design::Placement* designed = design::findPlacement(control);
        ASSERT_TRUE(designed) << control;
        const design::Placement& place = control.starts_with("Image")
                                             ? main.picture(control).properties().place
                                         : control == "Combo1" ? s.scale().properties().place
                                                               : s.box(control).properties().place;
        EXPECT_EQ(std::tie(place.left, place.top, place.width, place.height),
                  std::tie(designed->left, designed->top, designed->width, designed->height))
            << control;
    }
    struct Box {
        const char* name;
        const char* accessibleName;
        bool readOnly;
    };
    for (const Box& box :
         {Box{"Text1", "Temperature to convert", false}, Box{"Text2", "Fahrenheit", true},
          Box{"Text3", "Celsius", true}, Box{"Text4", "Kelvin", true}}) {
        EXPECT_EQ(s.box(box.name).properties().accessibleName, box.accessibleName);
        EXPECT_EQ(s.box(box.name).properties().readOnly, box.readOnly);
        EXPECT_EQ(s.box(box.name).text(), "");
    }
    EXPECT_EQ(s.input().tip(), "Please enter the value to convert");
    EXPECT_EQ(s.input().properties().maxLength, 50'000u);
    EXPECT_EQ(s.box("Text2").tip(), "");
    EXPECT_EQ(s.scale().text(), "Celsius");
    EXPECT_EQ(s.scale().entries(), (std::vector<std::string>{"Celsius", "Fahrenheit", "Kelvin"}));
    EXPECT_EQ(s.scale().properties().accessibleName, "Scale");
    EXPECT_FALSE(main.picture("Image3").properties().button);
    EXPECT_EQ(main.picture("Image3").properties().accessibleName, "Velmora Temperature Converter");
    EXPECT_TRUE(main.picture("Image4").properties().button);
    EXPECT_EQ(main.picture("Image4").properties().accessibleName, "About");
    EXPECT_TRUE(main.picture("Image1").properties().button);
    EXPECT_EQ(main.picture("Image1").properties().accessibleName, "Close");
}

// One worked result a scale (the engine's own test has them all), reached both ways.
struct Worked {
    const char* input;
    const char* scale;
    Outputs outputs;
};
const Worked workedResults[] = {
    {"100", "Fahrenheit", {"100°F", "37.7777777777778°C", "310.927777777778°K"}},
    {"007", "Celsius", {"44.6°F", "007°C", "280°K"}},
    {"273.15", "Kelvin", {"32.27°F", "0.149999999999977°C", "273.15°K"}},
};

TEST(MainWindow, ConvertsOnEitherTrigger) {
    for (const Worked& row : workedResults) {
        for (const bool scaleFirst : {true, false}) {
            SCOPED_TRACE(std::string(row.input) + " " + row.scale +
                         (scaleFirst ? ", scale picked first" : ", typed first"));
            Session s;
            if (scaleFirst)
                s.scale().pick(row.scale);
            s.input().type(row.input);
            if (!scaleFirst)
                s.scale().pick(row.scale);
            EXPECT_EQ(s.outputs(), row.outputs);
            EXPECT_EQ(s.input().text(), row.input);
            EXPECT_TRUE(s.messages().empty());
        }
    }
}

TEST(MainWindow, EachChangeConvertsAndAnEmptyInputChangesNothing) {
    Session s;
    s.input().type("100");
    EXPECT_EQ(s.box("Text2").changes(), 3); // once for each typed digit
    EXPECT_EQ(s.outputs(), (Outputs{"212°F", "100°C", "373°K"}));
    s.input().selectAll();
    s.input().pressDelete();
    EXPECT_EQ(s.input().text(), "");
    s.scale().pick("Kelvin");
    EXPECT_EQ(s.outputs(), (Outputs{"212°F", "100°C", "373°K"}));
    EXPECT_EQ(s.input().tip(), "Please enter the value to convert");
}

TEST(MainWindow, AScaleTypedIntoTheFieldIsReadByTheNextChangeOnly) {
    Session s;
    s.input().type("100");
    s.scale().typeText("Kelvin");
    EXPECT_EQ(s.outputs(), (Outputs{"212°F", "100°C", "373°K"})); // typing is no pick
    s.input().type("0");
    EXPECT_EQ(s.outputs(), (Outputs{"1340.6°F", "727°C", "1000°K"}));
    s.scale().typeText("kelvin"); // none of the three names: nothing converts
    s.input().type("0");
    EXPECT_EQ(s.outputs(), (Outputs{"1340.6°F", "727°C", "1000°K"}));
}

// A key press: (code, repeat). Typed text: its characters, each pressed once.
struct Key {
    char16_t code;
    bool repeat = false;
};
struct Keystrokes {
    const char* name;
    const char* before;
    std::vector<Key> keys;
    const char* after;
    int messages;
};

TEST(InputFilter, JudgesEachTypedCharacter) {
    const Keystrokes rows[] = {
        {"digits and full stop pass", "", {{'1'}, {'.'}, {'5'}}, "1.5", 0},
        {"a second full stop passes", "1.2", {{'.'}, {'3'}}, "1.2.3", 0},
        {"minus, blank, comma, plus and a letter each refused",
         "5",
         {{'-'}, {' '}, {','}, {'+'}, {'e'}},
         "5",
         5},
        {"only refused keys are dropped", "5", {{'a'}, {'5'}, {'b'}}, "55", 2},
        {"Enter, Escape, Ctrl+C, V, X, Z and Ctrl+Backspace refused",
         "5",
         {{13}, {27}, {3}, {22}, {24}, {26}, {127}},
         "5",
         7},
        {"backspace passes and deletes", "56", {{8}, {8}, {8}}, "", 0},
        {"letters beyond ASCII refused", "5", {{0xe9}, {0x20ac}, {0x0663}}, "5", 3},
        {"held refused key: one message", "5", {{13}, {13, true}, {13, true}}, "5", 1},
        {"held key, pressed again: two messages", "5", {{27}, {27, true}, {27}}, "5", 2},
        {"held digit repeats", "5", {{'6'}, {'6', true}, {'6', true}}, "5666", 0},
        {"a repeat of another key is judged", "5", {{'x'}, {'y', true}}, "5", 2},
    };
    for (const Keystrokes& row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        s.input().type(row.before);
        for (const Key& key : row.keys)
            s.input().type(key.code, key.repeat);
        EXPECT_EQ(s.input().text(), row.after);
        EXPECT_EQ(s.messages(), std::vector<std::string>(row.messages, refused));
        for (const fake::Message& message : s.runtime.messages()) {
            EXPECT_EQ(message.title, "Input validation");
            EXPECT_EQ(message.owner, "Velmora Temperature Converter");
        }
    }
}

struct Insertion {
    const char* name;
    const char* before;
    int selectFrom, selectTo; // -1: the cursor at the end
    std::string inserted;
    std::string after;
    std::vector<std::string> messages;
};

TEST(InputFilter, JudgesTextArrivingOtherThanByTyping) {
    const std::string fits(ui::input::maxLength - 2, '7');
    const Insertion rows[] = {
        {"digits", "12", -1, -1, "34", "1234", {}},
        {"mixed: the digits go in, one message", "12", -1, -1, "3x-4 ", "1234", {refused}},
        {"all refused", "12", -1, -1, "abc", "12", {refused}},
        {"in the middle", "56", 1, 1, "1a2", "5126", {refused}},
        {"over a selection", "56", 0, 2, "x1a2", "12", {refused}},
        {"all refused: the selection stays", "56", 0, 2, "ab", "56", {refused}},
        {"nothing over a selection: a text set to empty", "56", 0, 2, "", "", {}},
        {"a backspace character is no key", "12", -1, -1, "3\b4", "1234", {refused}},
        {"beyond the basic plane", "1", -1, -1, "2\U0001F321", "12", {refused}},
        {"not UTF-8", "1", -1, -1, "2\xff\xfe", "12", {refused}},
        {"a NUL character", "1", -1, -1, std::string("2\0003", 3), "123", {refused}},
        {"filling the box", "12", -1, -1, fits, "12" + fits, {}},
        {"one past the limit: refused whole", "12", -1, -1, fits + "7", "12", {tooLong}},
        {"past the limit, mixed: one message", "12", -1, -1, fits + "x7", "12", {tooLong}},
        {"ten megabytes", "12", -1, -1, std::string(10'000'000, '7'), "12", {tooLong}},
        {"over a selection that makes room", "12", 0, 2, fits + "77", fits + "77", {}},
        {"beyond the basic plane counts twice",
         "12",
         -1,
         -1,
         fits.substr(1) + "\U0001F321",
         "12",
         {tooLong}},
    };
    for (const Insertion& row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        s.input().type(row.before);
        if (row.selectFrom >= 0)
            s.input().select(row.selectFrom, row.selectTo);
        const int changes = s.input().changes();
        s.input().paste(row.inserted);
        EXPECT_EQ(s.input().text(), row.after);
        EXPECT_EQ(s.messages(), row.messages);
        // What goes in goes in as one edit, the cursor after it.
        EXPECT_EQ(s.input().changes(), changes + (row.after == row.before ? 0 : 1));
    }
}

TEST(InputFilter, AFullBoxTakesNoMoreTypedCharacters) {
    Session s;
    s.input().paste(std::string(ui::input::maxLength, '1'));
    s.input().type('5');
    s.input().type('5', true); // held: no second message
    EXPECT_EQ(s.messages(), std::vector<std::string>{tooLong});
    EXPECT_EQ(s.input().length(), ui::input::maxLength);
    s.input().type(8); // backspace still deletes
    s.input().type('5');
    EXPECT_EQ(s.input().length(), ui::input::maxLength);
    EXPECT_EQ(s.messages().size(), 1u);
    s.input().selectAll();
    s.input().type('3'); // typed over a selection
    EXPECT_EQ(s.input().text(), "3");
}

struct Failure {
    const char* name;
    const char* scale;
    std::string pasted;
    Outputs outputs; // after 37 converted in the scale, then the paste over it
    const char* tip;
};

TEST(ProblemCue, MarksTheInputUntilAConversionCompletes) {
    const Failure rows[] = {
        {"lone full stop, Fahrenheit writes its echo only",
         "Fahrenheit",
         ".",
         {".°F", "2.77777777777778°C", "275.927777777778°K"},
         "Not a number"},
        {"lone full stop, Celsius writes nothing",
         "Celsius",
         ".",
         {"98.6°F", "37°C", "310°K"},
         "Not a number"},
        {"two full stops, Kelvin writes nothing",
         "Kelvin",
         "..",
         {"-392.8°F", "-236°C", "37°K"},
         "Not a number"},
        {"1.2.3 as Celsius", "Celsius", "1.2.3", {"98.6°F", "37°C", "310°K"}, "Not a number"},
        {"400 digits as Celsius",
         "Celsius",
         std::string(400, '9'),
         {"98.6°F", "37°C", "310°K"},
         "Out of range"},
        {"40,000 digits as Fahrenheit: the echo is whole",
         "Fahrenheit",
         std::string(40'000, '7'),
         {std::string(40'000, '7') + "°F", "2.77777777777778°C", "275.927777777778°K"},
         "Out of range"},
    };
    for (const Failure& row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        s.scale().pick(row.scale);
        s.input().type("37");
        s.input().selectAll();
        s.input().paste(row.pasted);
        EXPECT_EQ(s.outputs(), row.outputs);
        EXPECT_TRUE(s.input().marked());
        EXPECT_TRUE(s.input().tip().starts_with(row.tip)) << s.input().tip();
        EXPECT_TRUE(s.messages().empty()); // the user is not interrupted
        const int told = s.input().tipChanges();
        s.scale().pick(row.scale); // the same problem again: nothing new to announce
        EXPECT_EQ(s.input().tipChanges(), told);

        s.input().selectAll();
        s.input().type(8); // an empty input converts nothing, successfully
        EXPECT_FALSE(s.input().marked());
        EXPECT_EQ(s.input().tip(), "Please enter the value to convert");
    }
}

} // namespace
