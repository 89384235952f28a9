// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the contract tests ask of a backend: its runtime, and the toolkit's own ways of bringing
// keys, text, clicks and commands to the controls it made. One driver per backend
// (QtDriver.cpp, Win32Driver.cpp); the cases (contract_test.cpp) are written once.
namespace contract {

// The ways text reaches an input box other than by a typed key.
enum class Route {
    Paste,            // the context menu's Paste
    PasteByKey,       // Shift+Insert, which types no character
    InputMethod,      // an input method's commit
    OutsideBmp,       // a key that types one character beyond the Basic Multilingual Plane
    PostedCharacters, // another program posts characters, no key pressed
    SentCharacters,   // another program sends them, waiting for each answer
    Unichar,          // another program sends them as whole code points
    ReplaceSelection, // another program replaces the selection
    SetFromOutside,   // another program sets the whole text
    ScreenReaderSet,  // a screen reader sets the value
    ScreenReaderInsert,
};

// Keys a user presses in a box; the driver presses them as its toolkit reports them.
enum class Key { Seven, X, Backspace, CtrlH, CtrlV, Delete, Home, Left, Tab, F2, Return };

// How a command reaches a window.
enum class CommandKey { AltF4, Close, F1, Escape };

enum class DropAction { None, Copy, Move };

class Driver {
public:
    virtual ~Driver() = default;

    virtual platform::Runtime& runtime() = 0;
    // Delivers the events waiting and those they bring, as the event loop would.
    virtual void settle() = 0;
    // Runs the action from the event loop, once it runs and the time has passed.
    virtual void later(std::function<void()> action, int milliseconds = 0) = 0;

    virtual bool has(Route route) const = 0;
    // Gives the box text by the route, and returns once whoever sent it has its answer.
    virtual void enter(platform::TextBox& box, Route route, std::string_view text) = 0;
    virtual void press(platform::TextBox& box, Key key, bool repeat = false) = 0;
    // Puts the cursor at a position in code units, selecting length units after it.
    virtual void select(platform::TextBox& box, std::size_t from, std::size_t length) = 0;
    virtual bool hasFocus(platform::TextBox& box) = 0;
    // The context menu's Undo and Redo; a box with one level of undo has no Redo.
    virtual bool hasRedo() const = 0;
    virtual void undo(platform::TextBox& box) = 0;
    virtual void redo(platform::TextBox& box) = 0;
    // A drop of text from another program, which offers a copy or a move (moveOnly: only a
    // move), the user asking for a move; the action the source is told. None without a target.
    virtual bool takesDrops() const = 0;
    virtual DropAction drop(platform::TextBox& box, std::string_view text, bool moveOnly) = 0;

    // The list's next entry, picked by the Down key; and a text typed into the field, Return
    // pressed, and the focus moved away.
    virtual void pickNext(platform::ComboBox& combo) = 0;
    virtual void typeInto(platform::ComboBox& combo, std::string_view text) = 0;

    // A left-button press at `from` and release at `to`, in pixels of the picture placed at
    // `place` in the window, moving through `via` between when given. Returns the press's place
    // on the screen.
    struct Point {
        int x, y;
    };
    virtual Point mouse(platform::Window& window, platform::Picture& picture,
                        const design::Placement& place, Point from, Point to,
                        std::optional<Point> via = {}) = 0;
    // A screen reader's press of the window's button picture.
    virtual void screenReaderPress(platform::Window& window, platform::Picture& picture) = 0;
    // A screen reader's hold on a window's press action, which it may call after the window
    // has gone.
    virtual std::function<void()> holdPressAction(platform::Window& window) = 0;
    virtual void command(platform::Window& window, CommandKey how) = 0;

    // From now on each message box that still shows a moment after it came up is answered by
    // OK; the first one runs `whileShowing` inside it first, and is answered a moment later.
    virtual void answerBoxes(std::function<void()> whileShowing = {}) = 0;
    // The texts of the boxes answered so far, in order; a box closed otherwise is not among them.
    virtual std::vector<std::string> answeredBoxes() const = 0;
    // The text of the box showing, if one does.
    virtual std::optional<std::string> showingBox() const = 0;
    // A key pressed in the box showing, delivered as its own loop delivers keys; a repeat is a
    // key held from before.
    virtual void pressInBox(Key key, bool repeat) = 0;
};

std::unique_ptr<Driver> makeDriver();

} // namespace contract
