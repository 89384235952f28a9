// SPDX-License-Identifier: MIT
#pragma once

#include "conversion/convert_input.h"
#include "win32/Accessible.h"
#include "win32/Bitmap.h"

#include <optional>
#include <string>
#include <windows.h>

struct IAccPropServices;
struct IAccessible;

namespace win32 {

// What the windows share: the font, the screen density and the count of open windows, which
// ends the program when it reaches zero.
struct Program {
    HINSTANCE instance = nullptr;
    std::wstring textFamily;
    int openWindows = 0;
    void windowOpened() { ++openWindows; }
    void windowClosed() {
        if (--openWindows == 0)
            PostQuitMessage(0);
    }
};

// Moves a window by a press and drag on it; a press released without moving is a click.
class DragTracker {
public:
    void press(HWND window, POINT client);
    // Follows WM_MOUSEMOVE (the window moves with a drag) and WM_CAPTURECHANGED (the press is
    // forgotten when the mouse goes elsewhere).
    void follow(HWND window, UINT message, WPARAM w, LPARAM l);
    // True when the press ended as a click (no drag).
    bool release(HWND window);

private:
    // `keys` is the mouse message's key state: the window follows only while the button is down.
    void move(HWND window, WPARAM keys);

    bool m_pressed = false;
    bool m_dragging = false;
    POINT m_start{};
    POINT m_windowStart{};
};

// The About window: the card, and a click anywhere closes it.
class Form2 {
public:
    explicit Form2(Program& program)
        : m_program(program) {}
    ~Form2();
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

    // Loads the window, centred, or brings the loaded one to the front.
    void show();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);

    Program& m_program;
    HWND m_window = nullptr;
    Bitmap m_card;
    DragTracker m_drag;
};

// The main window.
class Form1 : private conversion::ConverterView, private PaintedPictures {
public:
    Form1(Program& program, Form2& about);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    HWND window() const { return m_window; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK text1Proc(HWND edit, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                      DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void create();
    void createControls();
    void scaleToDpi();
    void nameControls();
    void describeInput();

    void Text1_KeyPress(int& keyAscii);
    void Text1_Change();
    void Combo1_Click();
    void Image1_Click();
    void Image4_Click();
    void pasteIntoText1();

    // ConverterView
    std::string inputText() const override;
    std::string scaleName() const override;
    void setOutputText(conversion::OutputBox box, std::string_view text) override;

    // PaintedPictures
    int pictureCount() const override;
    const wchar_t* pictureName(int index) const override;
    bool pictureIsButton(int index) const override;
    RECT pictureRect(int index) const override;
    int pictureIndexAt(POINT client) const override;
    void pressPicture(int index) override;

    void convert();
    void showInputProblem(const std::wstring& problem);
    // What a click on the picture does.
    void clickPicture(int index);
    RECT pixelRect(const char* control) const;
    int scaled(int pixels) const;

    Program& m_program;
    Form2& m_about;
    HWND m_window = nullptr;
    HWND m_text1 = nullptr, m_text2 = nullptr, m_text3 = nullptr, m_text4 = nullptr;
    HWND m_combo1 = nullptr;
    HWND m_tooltip = nullptr;
    // Screen reader names of the boxes; nullptr where the system offers no annotations.
    IAccPropServices* m_accessibility = nullptr;
    // The client object with the pictures, made when a screen reader first asks for it.
    IAccessible* m_clientAccessible = nullptr;
    HFONT m_textFont = nullptr, m_scaleFont = nullptr;
    HBRUSH m_white = nullptr, m_invalid = nullptr;
    int m_dpi = 96;
    Bitmap m_background, m_image1, m_image3, m_image4;
    DragTracker m_drag;
    int m_pressedPicture = -1; // the picture the mouse button went down on
    bool m_inputInvalid = false;
    // The control that had the focus when the window was last deactivated.
    HWND m_lastFocus = nullptr;
    // The code of the last refused character, whose key repeats are dropped silently.
    int m_refusedCode = 0;
    std::wstring m_tip;
    // While a pick is handled: the picked name, which the combo's field shows only afterwards.
    std::optional<std::wstring> m_pickedScale;
};

std::wstring toWide(std::string_view utf8);
std::string toUtf8(const std::wstring& wide);

} // namespace win32
