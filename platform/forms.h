// SPDX-License-Identifier: MIT
#pragma once

#include "design/layout.h"
#include "design/pictures.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// The forms runtime that the program's windows (ui/) stand on: windows with a background picture,
// single-line text boxes, a drop-down combo box, pictures, a modal message box and the event loop.
// It serves the two windows of this program, not windows in general; platform/qt and
// platform/win32 implement it over their toolkits, and the windows never see a toolkit type.
//
// Texts are UTF-8. Geometry is the design's (twips, design/layout.h) or in pixels at 96 dpi; a
// backend scales both to the screen's density. Events reach the handlers one at a time on the one
// user-interface thread; a handler that is not set is not called.
namespace platform {

// A key press that types a character into a text box. Delivered before the character is applied:
// a handler that sets code to 0 drops the character, and with it any editing command it stands for
// (Ctrl+V is code 22). Keys that type nothing (arrows, Delete, F1, Tab) never come here. Code 8
// is a backspace whichever key typed it (Backspace, Ctrl+H): applied, it deletes as Backspace does.
struct KeyPress {
    static constexpr int backspace = 8;

    int code;    // the character, a UTF-16 code unit
    bool repeat; // the key was already down: an auto-repeat
};

// A click: a press and a release of the left button on the same picture or window, with no drag
// between, or a screen reader's press. A mouse click carries its press, so that the second press
// of a double-click can be told apart.
struct Click {
    struct Press {
        std::uint32_t time; // the toolkit's clock, in milliseconds
        int x, y;           // on the screen, in pixels
    };
    std::optional<Press> press; // none for a screen reader's press
};

// How close in time and place two presses are to make a double-click.
struct DoubleClick {
    std::uint32_t interval; // milliseconds
    int distance;           // pixels, either way on each axis
};

// Commands a window gets from the keyboard or the window system rather than from a control.
enum class Command {
    Close,   // the platform's close command: Alt+F4, the window manager's close
    Help,    // F1
    Dismiss, // Escape, for a window made with escapeDismisses, wherever its focus is (elsewhere
             // Escape is a character)
};

class TextBox {
public:
    virtual ~TextBox() = default;

    virtual std::string text() const = 0;
    // Replaces the text at once (before the caller goes on) and raises onChange.
    virtual void setText(std::string_view text) = 0;
    // In UTF-16 code units, the toolkits' characters.
    virtual std::size_t length() const = 0;
    virtual std::size_t selectedLength() const = 0;
    // Puts text in place of the selection, or at the cursor, as one edit the user can undo, and
    // leaves the cursor after it. Raises onChange when the text changes, never onInsert.
    virtual void insert(std::string_view text) = 0;
    // The tooltip, which is also the box's description for assistive technology; a change of it
    // is announced to a screen reader.
    virtual void setTip(std::string_view tip) = 0;
    // A marked box is drawn on design::invalidInputBase; an unmarked one on the platform's
    // background for text boxes, as every other box.
    virtual void setMarked(bool marked) = 0;

    // Characters a key typed into this box, one at a time, each a code unit of the Basic
    // Multilingual Plane. Everything else that would put text in comes as onInsert.
    std::function<void(KeyPress&)> onKeyPress;
    // Text that arrives other than by a typed key, as one call for the whole of it: a paste (any
    // command), a drop, an input method's commit, a character outside the Basic Multilingual
    // Plane, characters that another program sends or posts, a text set from outside (by another
    // program or a screen reader; the empty text deletes), a screen reader's insertion. The box
    // is left as it was, with the text it would replace selected; the handler puts in what it
    // keeps with insert(). A drop is a copy, never a move: the source keeps its text, refused or
    // not. Text longer than the box's maxLength may come cut to one character past it: nothing
    // longer can be taken anyway.
    std::function<void(std::string_view text)> onInsert;
    // Any change of the text, by the user or by setText(). Undo and redo are changes, not
    // insertions: they bring back texts the box held.
    std::function<void()> onChange;
};

class ComboBox {
public:
    virtual ~ComboBox() = default;

    // The text of the edit field: the entry last picked, or what the user typed there.
    virtual std::string text() const = 0;

    // A pick of an entry in the list, by mouse, keys or wheel; by then text() gives the entry.
    // What the user types into the field is never a pick, even when it spells an entry.
    std::function<void()> onPick;
};

class Picture {
public:
    virtual ~Picture() = default;

    // Only for a button picture.
    std::function<void(const Click&)> onClick;
};

// Controls sit at their design placement (Placement::control also names them for the toolkit),
// and are added in tab order: the first one has the focus when the window first shows.
struct TextBoxProperties {
    design::Placement place;
    std::string_view accessibleName = {};
    std::string_view tip = {}; // none when empty
    bool readOnly = false;     // still takes the focus and lets the user select
    std::size_t maxLength = 0; // 0: no limit; otherwise enforced by the onInsert handler
};

struct ComboBoxProperties {
    design::Placement place;
    std::string_view accessibleName = {};
    std::span<const std::string_view> entries = {};
    std::string_view text = {}; // the field's first text
};

// Pictures are windowless: they lie beneath the boxes, each later one above the earlier ones, and
// the upper one takes the mouse where two overlap. A press on a button picture belongs to it; a
// press on a decoration belongs to the window beneath (a drag there moves the window).
struct PictureProperties {
    design::Placement place;
    const design::pictures::Picture& picture;
    std::string_view accessibleName = {};
    bool button = false; // a push button to assistive technology, with a press action
};

struct WindowProperties {
    std::string_view title = {};
    int width = 0, height = 0; // the client area, in pixels at 96 dpi; it never changes
    // Drawn at its own size from the top-left corner, clipped; the platform's window colour shows
    // where it leaves a gap.
    const design::pictures::Picture& background;
    std::string_view accessibleName = {};
    std::string_view description = {}; // for assistive technology
    bool escapeDismisses = false;
    bool pressable = false; // offers a screen reader a press action, which raises onClick
};

// A top-level window without a system frame: a drag on its own surface moves it. Made by
// Runtime::load and owned by the runtime until it is unloaded.
class Window {
public:
    virtual ~Window() = default;

    virtual TextBox& addTextBox(const TextBoxProperties& properties) = 0;
    virtual ComboBox& addComboBox(const ComboBoxProperties& properties) = 0;
    virtual Picture& addPicture(const PictureProperties& properties) = 0;

    // Modeless, with no owner; returns at once. The first show centres the window on the screen's
    // available area (centredOrigin) and gives it the focus; a later one restores it if minimised,
    // raises it and activates it. Where the compositor places windows itself and no window may
    // raise itself (Wayland), a window first shown while another of the program's shows is kept
    // above that one instead, and its first show waits until a double-click of the last press on
    // the program's windows is over, so that the rest of it cannot take the focus from it.
    virtual void show() = 0;

    // A click on the window's own surface (not on a control or a button picture).
    std::function<void(const Click&)> onClick;
    std::function<void(Command)> onCommand;
};

class Runtime {
public:
    virtual ~Runtime() = default;

    // Creates a window and its controls' container, not yet shown.
    virtual Window& load(const WindowProperties& properties) = 0;
    // Destroys the window and its controls: it leaves the screen at once and none of its events is
    // delivered afterwards. May be called from the window's own handlers; the reference is dead
    // once it returns.
    virtual void unload(Window& window) = 0;
    // A modal box with the information icon and one OK button, over owner; returns when the user
    // has closed it, with the focus back where it was. A key that was already down when the box
    // came up does not answer it; only a fresh press does.
    // Never one box inside another, nor inside an answer to another program: while a box shows,
    // or while the program answers a message that another program sent or a screen reader's call,
    // this returns at once and the box shows once that is over, unless one with the same text is
    // showing or waiting already. The caller goes on as if the user had closed it.
    virtual void messageBox(Window& owner, std::string_view text, std::string_view title) = 0;
    // The user's double-click setting.
    virtual DoubleClick doubleClick() const = 0;
    // Delivers events until quit(); returns the program's exit status. An exception that leaves a
    // handler never unwinds through the toolkit: the runtime catches it where the toolkit called
    // the program, ends the loop with no further handler run, and run() throws it again once the
    // loop has returned.
    virtual int run() = 0;
    virtual void quit() = 0;
};

// Where a window of the given size goes on an area: centred where it fits; a window larger than
// the area keeps its top-left corner on it rather than going off both edges.
struct Rect {
    int left, top, width, height;
};
constexpr std::pair<int, int> centredOrigin(const Rect& area, int width, int height) {
    return {area.left + std::max(0, (area.width - width) / 2),
            area.top + std::max(0, (area.height - height) / 2)};
}

// What a screen reader is told of a picture's place: the part of it that shows, its rectangle
// clipped to the client area. The banners overhang the window's edges.
constexpr Rect visiblePart(const Rect& picture, int clientWidth, int clientHeight) {
    const int left = std::clamp(picture.left, 0, clientWidth);
    const int top = std::clamp(picture.top, 0, clientHeight);
    const int right = std::clamp(picture.left + picture.width, 0, clientWidth);
    const int bottom = std::clamp(picture.top + picture.height, 0, clientHeight);
    return {left, top, right - left, bottom - top};
}

// The pictures' @2x versions serve every density above the design's; the 1x ones only that.
constexpr bool wantsDoublePictures(double devicePixelRatio) {
    return devicePixelRatio > 1.0;
}

} // namespace platform
