// SPDX-License-Identifier: MIT
// The forms runtime's contract (platform/forms.h), proven on a real backend through its driver:
// what reaches the handlers, once, in which order and by which routes. The handlers only record;
// what the program decides is tested on the fake runtime (tests/ui).
#include "Driver.h"
#include "digits.h"

#include <array>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

// A route or a control that the backend does not have.
#define SKIP_UNLESS(has, what)                                                                     \
    if (!(has))                                                                                    \
    GTEST_SKIP() << "not on this backend: " << (what)

namespace {

using contract::CommandKey;
using contract::DropAction;
using contract::Key;
using contract::Route;
using Point = contract::Driver::Point;

constexpr design::Placement inputPlace{"Input", 150, 150, 1500, 405};
constexpr design::Placement comboPlace{"Combo", 1800, 150, 1455, 390};
constexpr design::Placement picturePlace{"Picture", 150, 900, 360, 270}; // 24 x 18 px
constexpr std::array<std::string_view, 3> entries{"Celsius", "Kelvin", "Fahrenheit"};

// Rows name themselves in the tests' names and messages.
template <class Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

// What an input's handlers saw.
struct Seen {
    std::vector<int> codes; // typed, in order; a repeat as its negative
    std::vector<std::string> inserted;
    std::vector<std::size_t> replacing; // the selected length onInsert found
    int changes = 0;
};

class Contract : public testing::Test {
protected:
    platform::Window& window(bool escapeDismisses = false, bool pressable = false) {
        return runtime().load({.title = "Test",
                               .width = 300,
                               .height = 150,
                               .background = design::pictures::background,
                               .escapeDismisses = escapeDismisses,
                               .pressable = pressable});
    }

    // An input that records, drops the letter x and Ctrl+V when typed, and keeps the digits of
    // what is inserted.
    platform::TextBox& input(platform::Window& window, std::size_t maxLength = 0) {
        platform::TextBox& box = window.addTextBox({.place = inputPlace, .maxLength = maxLength});
        box.onKeyPress = [this](platform::KeyPress& key) {
            seen.codes.push_back(key.repeat ? -key.code : key.code);
            if (key.code == 'x' || key.code == 0x16)
                key.code = 0;
        };
        box.onInsert = [this, &box](std::string_view text) {
            seen.inserted.emplace_back(text);
            seen.replacing.push_back(box.selectedLength());
            std::string digits;
            for (char c : text)
                if (c >= '0' && c <= '9')
                    digits += c;
            box.insert(digits);
        };
        box.onChange = [this] {
            ++seen.changes;
        };
        lastForm = &window;
        window.show();
        driver->settle();
        return box;
    }

    // An input holding "56", the cursor after the 5, nothing seen yet.
    platform::TextBox& input56(std::size_t maxLength = 0) {
        platform::TextBox& box = input(window(), maxLength);
        box.setText("56");
        driver->select(box, 1, 0);
        seen = {};
        return box;
    }

    platform::Picture& button(platform::Window& window) {
        return window.addPicture(
            {.place = picturePlace, .picture = design::pictures::closeButton, .button = true});
    }

    platform::Runtime& runtime() { return driver->runtime(); }

    std::unique_ptr<contract::Driver> driver = contract::makeDriver();
    Seen seen;
    platform::Window* lastForm = nullptr; // the last input's
};

// ---- Text into the input ----------------------------------------------------------------------

struct Arrival {
    const char* name;
    Route route;
    std::string text;
    std::vector<std::string> handed; // one onInsert each
    std::size_t replacing;           // the selection each finds
    std::string after;               // the box held "56", the cursor after the 5
};

const Arrival arrivals[] = {
    {"Paste", Route::Paste, "1a2", {"1a2"}, 0, "5126"},
    {"PasteOfABackspace", Route::Paste, "\b", {"\b"}, 0, "56"},
    {"PasteByKey", Route::PasteByKey, "a9", {"a9"}, 0, "596"},
    {"InputMethod", Route::InputMethod, "\b3-", {"\b3-"}, 0, "536"},
    {"OutsideBmp", Route::OutsideBmp, "\U0001F321", {"\U0001F321"}, 0, "56"},
    {"Posted", Route::PostedCharacters, "1a", {"1", "a"}, 0, "516"},
    {"Sent", Route::SentCharacters, "1\U0001F321", {"1", "\U0001F321"}, 0, "516"},
    {"Unichar", Route::Unichar, "1\U0001F321", {"1", "\U0001F321"}, 0, "516"},
    {"ReplaceSelection", Route::ReplaceSelection, "abc-1", {"abc-1"}, 0, "516"},
    {"SetFromOutside", Route::SetFromOutside, "7z", {"7z"}, 2, "7"},
    {"SetFromOutsideToNothing", Route::SetFromOutside, "", {""}, 2, ""},
    {"ScreenReaderSet", Route::ScreenReaderSet, "3\b4", {"3\b4"}, 2, "34"},
    {"ScreenReaderSetToNothing", Route::ScreenReaderSet, "", {""}, 2, ""},
    {"ScreenReaderInsert", Route::ScreenReaderInsert, "7z", {"7z"}, 0, "576"},
};

class Arrivals : public Contract, public testing::WithParamInterface<Arrival> {};

// Each arrival is judged once, whole, with the box as it was and what it replaces selected.
TEST_P(Arrivals, ComeAsOneInsertionEach) {
    const Arrival& row = GetParam();
    SKIP_UNLESS(driver->has(row.route), row.name);
    platform::TextBox& box = input56();
    driver->enter(box, row.route, row.text);
    driver->settle();
    EXPECT_EQ(seen.inserted, row.handed);
    EXPECT_EQ(seen.replacing, std::vector<std::size_t>(row.handed.size(), row.replacing));
    EXPECT_EQ(box.text(), row.after);
    EXPECT_TRUE(seen.codes.empty());
}

// Past the limit by any route, the handler gets a text it can tell is too long, never the
// whole of a huge one.
TEST_P(Arrivals, ComeCutPastTheLimit) {
    const Arrival& row = GetParam();
    SKIP_UNLESS(driver->has(row.route) && row.handed.size() == 1 && !row.text.empty() &&
                    row.route != Route::OutsideBmp,
                row.name);
    platform::TextBox& box = input56(50'000);
    box.onInsert = [&](std::string_view text) {
        seen.inserted.emplace_back(text);
    };
    driver->enter(box, row.route, std::string(60'009, '7'));
    driver->settle();
    ASSERT_EQ(seen.inserted.size(), 1u);
    const std::size_t kept = row.replacing ? 0 : 2; // what stays of "56"
    EXPECT_LE(seen.inserted[0].size(), 50'001u);
    EXPECT_GT(seen.inserted[0].size() + kept, 50'000u);
    EXPECT_EQ(box.text(), "56");
}

// Another program that sends text has its answer at once: a message box the handler asks for
// shows once the answer is given, and once however often it was asked for.
TEST_P(Arrivals, NeverKeepTheSenderWaitingForABox) {
    const Arrival& row = GetParam();
    const bool othersWait = row.route != Route::Paste && row.route != Route::PasteByKey &&
                            row.route != Route::InputMethod && row.route != Route::OutsideBmp &&
                            row.route != Route::PostedCharacters;
    SKIP_UNLESS(driver->has(row.route), row.name);
    if (!othersWait)
        GTEST_SKIP() << "the user's own route: no other program waits";
    platform::TextBox& box = input56();
    box.onInsert = [&](std::string_view) {
        runtime().messageBox(*lastForm, "refused", "");
    };
    driver->answerBoxes();
    driver->enter(box, row.route, row.text);
    EXPECT_TRUE(driver->answeredBoxes().empty()) << "a box showed inside the sender's call";
    driver->settle();
    EXPECT_EQ(driver->answeredBoxes(), std::vector<std::string>{"refused"});
}

INSTANTIATE_TEST_SUITE_P(Routes, Arrivals, testing::ValuesIn(arrivals),
                         [](const auto& info) { return std::string(info.param.name); });

struct Typing {
    const char* name;
    std::vector<std::pair<Key, bool>> keys; // and whether each is a repeat
    std::vector<int> codes;
    std::string after; // the box held "56", the cursor at the end
};

const Typing typings[] = {
    {"Digit", {{Key::Seven, false}}, {'7'}, "567"},
    {"RefusedIsDropped", {{Key::X, false}}, {'x'}, "56"},
    {"RefusedCtrlVPastesNothing", {{Key::CtrlV, false}}, {0x16}, "56"},
    {"Backspace", {{Key::Backspace, false}}, {8}, "5"},
    {"CtrlHIsABackspace", {{Key::CtrlH, false}}, {8}, "5"},
    {"DeleteEdits", {{Key::Home, false}, {Key::Delete, false}}, {}, "6"},
    {"ArrowsMove", {{Key::Left, false}, {Key::Seven, false}}, {'7'}, "576"},
    {"TabMoves", {{Key::Tab, false}}, {}, "56"},
    {"FunctionKey", {{Key::F2, false}}, {}, "56"},
    {"RepeatIsTold", {{Key::Seven, false}, {Key::Seven, true}}, {'7', -'7'}, "5677"},
};

class Typed : public Contract, public testing::WithParamInterface<Typing> {};

// A typed character reaches onKeyPress before the box applies it; code 0 drops it.
TEST_P(Typed, KeysComeBeforeTheirCharacters) {
    const Typing& row = GetParam();
    platform::TextBox& box = input56();
    driver->enter(box, Route::Paste, "9"); // a clipboard Ctrl+V would paste
    driver->settle();
    box.setText("56");
    driver->select(box, 2, 0);
    seen = {};
    for (const auto& [key, repeat] : row.keys)
        driver->press(box, key, repeat);
    driver->settle();
    EXPECT_EQ(seen.codes, row.codes);
    EXPECT_EQ(box.text(), row.after);
    EXPECT_TRUE(seen.inserted.empty());
}

INSTANTIATE_TEST_SUITE_P(Keys, Typed, testing::ValuesIn(typings),
                         [](const auto& info) { return std::string(info.param.name); });

// Undo and redo bring back texts the box held, as changes: never an insertion, never a text
// it did not hold.
TEST_F(Contract, UndoAndRedoBringBackTheBoxsOwnTexts) {
    const std::vector<std::vector<std::string>> sessions = {
        {"123", "\b", "undo", "redo", "undo"},
        {"123", "undo", "redo", "undo", "redo"},
        {"12", "paste", "undo", "undo", "redo", "redo", "undo"},
    };
    for (const auto& steps : sessions) {
        platform::TextBox& box = input(window());
        std::vector<std::string> held{""};
        std::size_t insertions = 0;
        for (const std::string& step : steps) {
            SCOPED_TRACE(step);
            const int changes = seen.changes;
            if (step == "undo" || step == "redo") {
                if (step == "undo")
                    driver->undo(box);
                else if (driver->hasRedo())
                    driver->redo(box);
                driver->settle();
                EXPECT_NE(std::find(held.begin(), held.end(), box.text()), held.end())
                    << '"' << box.text() << "\" was never in the box";
                EXPECT_EQ(seen.inserted.size(), insertions);
                continue;
            }
            if (step == "paste") {
                driver->enter(box, Route::Paste, "34");
                ++insertions;
            } else {
                for (char c : step)
                    driver->press(box, c == '\b' ? Key::Backspace : Key::Seven);
            }
            driver->settle();
            EXPECT_GT(seen.changes, changes);
            held.push_back(box.text());
        }
        seen = {};
    }
}

struct Dropping {
    const char* name;
    std::string text;
    bool moveOnly;
    DropAction told;
    std::string after; // the box held "56"
};

const Dropping droppings[] = {
    {"Taken", "4b", false, DropAction::Copy, "564"},
    {"RefusedWhole", "ab", false, DropAction::None, "56"},
    {"OnlyAMoveOffered", "4", true, DropAction::None, "56"},
};

class Drops : public Contract, public testing::WithParamInterface<Dropping> {};

// A drop is a copy or refused: the source never hears of a move, so it keeps its text.
TEST_P(Drops, AreCopies) {
    const Dropping& row = GetParam();
    SKIP_UNLESS(driver->takesDrops(), "drop target");
    platform::TextBox& box = input56();
    driver->select(box, 2, 0);
    EXPECT_EQ(driver->drop(box, row.text, row.moveOnly), row.told);
    driver->settle();
    EXPECT_EQ(box.text(), row.after);
    EXPECT_EQ(seen.inserted.size(), row.moveOnly ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Drops, Drops, testing::ValuesIn(droppings),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The combo box ----------------------------------------------------------------------------

TEST_F(Contract, APickComesAfterItsField) {
    platform::Window& form = window();
    platform::ComboBox& combo = form.addComboBox(
        {.place = comboPlace, .accessibleName = "Scale", .entries = entries, .text = "Celsius"});
    std::vector<std::string> picked;
    combo.onPick = [&] {
        picked.push_back(combo.text());
    };
    input(form);
    driver->pickNext(combo);
    driver->settle();
    EXPECT_EQ(picked, std::vector<std::string>{"Kelvin"});
}

TEST_F(Contract, WhatIsTypedIsNeverAPick) {
    for (const char* typed : {"kelvin", "Kelvin", "K"}) {
        SCOPED_TRACE(typed);
        platform::Window& form = window();
        platform::ComboBox& combo =
            form.addComboBox({.place = comboPlace, .entries = entries, .text = "Celsius"});
        int picks = 0;
        combo.onPick = [&picks] {
            ++picks;
        };
        input(form);
        driver->typeInto(combo, typed);
        driver->settle();
        EXPECT_EQ(combo.text(), typed);
        EXPECT_EQ(picks, 0);
    }
}

// ---- Pictures and windows ---------------------------------------------------------------------

struct Gesture {
    const char* name;
    Point from, to;
    std::optional<Point> via;
    bool click;
};

const Gesture gestures[] = {
    {"PressAndReleaseInside", {3, 3}, {5, 4}, {}, true},
    {"ReleasedOutside", {3, 3}, {40, 4}, {}, false},
    {"ADragThatComesBack", {3, 3}, {5, 4}, Point{60, 4}, false},
};

class Gestures : public Contract, public testing::WithParamInterface<Gesture> {};

TEST_P(Gestures, AClickIsAPressAndReleaseWithNoDrag) {
    const Gesture& row = GetParam();
    platform::Window& form = window();
    platform::Picture& picture = button(form);
    std::vector<std::optional<platform::Click::Press>> clicks;
    picture.onClick = [&clicks](const platform::Click& click) {
        clicks.push_back(click.press);
    };
    form.show();
    driver->settle();
    const Point pressedAt = driver->mouse(form, picture, picturePlace, row.from, row.to, row.via);
    driver->settle();
    ASSERT_EQ(clicks.size(), row.click ? 1u : 0u);
    if (row.click) {
        ASSERT_TRUE(clicks[0].has_value());
        EXPECT_EQ(std::make_pair(clicks[0]->x, clicks[0]->y),
                  std::make_pair(pressedAt.x, pressedAt.y));
    }
}

INSTANTIATE_TEST_SUITE_P(Mouse, Gestures, testing::ValuesIn(gestures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Contract, AScreenReadersPressIsAClickWithoutAPress) {
    platform::Window& form = window();
    platform::Picture& picture = button(form);
    std::vector<bool> clicks;
    picture.onClick = [&clicks](const platform::Click& click) {
        clicks.push_back(click.press.has_value());
    };
    form.show();
    driver->settle();
    driver->screenReaderPress(form, picture);
    driver->settle();
    EXPECT_EQ(clicks, std::vector<bool>{false});
}

struct Commanding {
    const char* name;
    bool escapeDismisses;
    CommandKey how;
    std::vector<platform::Command> heard;
};

const Commanding commandings[] = {
    {"AltF4", false, CommandKey::AltF4, {platform::Command::Close}},
    {"WindowSystemsClose", false, CommandKey::Close, {platform::Command::Close}},
    {"F1", false, CommandKey::F1, {platform::Command::Help}},
    {"EscapeWhereItDismisses", true, CommandKey::Escape, {platform::Command::Dismiss}},
    {"EscapeElsewhere", false, CommandKey::Escape, {}},
};

class Commands : public Contract, public testing::WithParamInterface<Commanding> {};

// Commands reach the program, which decides: until it unloads the window, the window stays.
TEST_P(Commands, ReachTheProgram) {
    const Commanding& row = GetParam();
    platform::Window& form = window(row.escapeDismisses);
    std::vector<platform::Command> heard;
    form.onCommand = [&heard](platform::Command command) {
        heard.push_back(command);
    };
    input(form);
    driver->command(form, row.how);
    driver->settle();
    EXPECT_EQ(heard, row.heard);
}

INSTANTIATE_TEST_SUITE_P(Commands, Commands, testing::ValuesIn(commandings),
                         [](const auto& info) { return std::string(info.param.name); });

// A window unloaded by its own handler hears nothing more, even from a screen reader that held
// on to it, and nothing it was sent lands on another window.
TEST_F(Contract, AWindowUnloadedInItsOwnHandlerHearsNoMore) {
    platform::Window& form = window(false, true);
    int clicks = 0, others = 0;
    form.onClick = [&](const platform::Click&) {
        ++clicks;
        runtime().unload(form);
    };
    platform::Window& other = window(false, true);
    other.onClick = [&others](const platform::Click&) {
        ++others;
    };
    form.show();
    other.show();
    driver->settle();
    const std::function<void()> press = driver->holdPressAction(form);
    press();
    driver->settle();
    press();
    driver->settle();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(others, 0);
}

// ---- Message boxes ----------------------------------------------------------------------------

// A box asked for while one shows comes once that one is closed, and once only; the focus goes
// back where it was.
TEST_F(Contract, MessageBoxesNeverNest) {
    platform::Window& form = window();
    platform::TextBox& box = input(form);
    ASSERT_TRUE(driver->hasFocus(box));
    std::optional<std::string> showingThen;
    driver->answerBoxes([&] {
        runtime().messageBox(form, "inner", "");
        runtime().messageBox(form, "inner", "");
        showingThen = driver->showingBox();
    });
    runtime().messageBox(form, "outer", "");
    driver->settle();
    EXPECT_EQ(showingThen, "outer");
    EXPECT_EQ(driver->answeredBoxes(), (std::vector<std::string>{"outer", "inner"}));
    EXPECT_TRUE(driver->hasFocus(box));
}

// A key already down when the box came up repeats into it without answering it.
TEST_F(Contract, AHeldKeyDoesNotAnswerABox) {
    platform::Window& form = window();
    input(form);
    driver->answerBoxes([&] { driver->pressInBox(Key::Return, true); });
    runtime().messageBox(form, "held", "");
    EXPECT_EQ(driver->answeredBoxes(), std::vector<std::string>{"held"});
}

// A fault that leaves a handler ends the loop at once, reaches no other handler and comes out
// of run(), not through the toolkit.
TEST_F(Contract, AFaultEndsTheLoopAndComesOutOfRun) {
    platform::Window& form = window();
    platform::Picture& picture = button(form);
    picture.onClick = [](const platform::Click&) {
        throw std::runtime_error("fault");
    };
    std::vector<platform::Command> heard;
    form.onCommand = [&heard](platform::Command command) {
        heard.push_back(command);
    };
    form.show();
    driver->settle();
    driver->later([&] {
        driver->screenReaderPress(form, picture);
        driver->command(form, CommandKey::F1);
    });
    driver->later([&] { runtime().quit(); }, 5000); // should the fault not end it
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(runtime().run(), std::runtime_error);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(heard.empty());
}

} // namespace
