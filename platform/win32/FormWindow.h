// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"
#include "platform/win32/Accessible.h"
#include "platform/win32/Bitmap.h"
#include "platform/win32/Control.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Tooltip.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::win32 {

class Runtime;

// A top-level window without a system frame: a fixed client area with a background picture and
// the pictures drawn from the top-left corner, clipped; child controls over them. A press and drag
// on its own surface moves it. Every window of the program is of the one window class the runtime
// registers, whose procedure (windowProc) finds the window's object and hands it the message.
class FormWindow : public platform::Window, private AccessibleExtras {
public:
    static constexpr wchar_t className[] = L"VelmoraForm";
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l);

    FormWindow(Runtime& runtime, const WindowProperties& properties);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    platform::TextBox& addTextBox(const TextBoxProperties& properties) override;
    platform::ComboBox& addComboBox(const ComboBoxProperties& properties) override;
    platform::Picture& addPicture(const PictureProperties& properties) override;
    void show() override;

    // Destroys the window at once; the object stays until the runtime frees it.
    void unload();
    bool isLive() const { return m_window != nullptr; }

    // For the controls.
    HWND hwnd() const { return m_window; }
    HINSTANCE instance() const;
    ComApartment& com() const;
    Runtime& runtime() const { return m_runtime; }
    Tooltip& tooltip();
    bool escapeDismisses() const { return m_escapeDismisses; }
    HFONT textFont();
    HFONT scaleFont();
    // A design placement in device pixels at the density.
    RECT pixelRect(const design::Placement& place, int dpi) const;

private:
    struct PaintedPicture : platform::Picture {
        PaintedPicture(const PictureProperties& properties);
        const design::pictures::Picture& picture;
        design::Placement place;
        std::wstring name;
        bool button;
        Bitmap bitmap;
    };

    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void paint();
    // Where a picture is drawn, at its own size, in device pixels.
    RECT drawnAt(const PaintedPicture& picture) const;
    // Whether the picture hides all of the band.
    bool hides(const PaintedPicture& picture, const RECT& band) const;
    void mouse(UINT message, WPARAM w, LPARAM l);
    void pressedByScreenReader(UINT message, WPARAM w);
    void pressed(LPARAM l);
    void released(LPARAM l);
    void followDrag(UINT message, WPARAM w, LPARAM l);
    LRESULT reflect(UINT message, WPARAM w, LPARAM l);
    void command(Command command);
    void activated(WPARAM w);
    void rescale(int dpi, const RECT* suggested);
    void loadPictures();
    void clickPicture(int index, const Click& click);
    int scaled(int pixels) const { return MulDiv(pixels, m_dpi, 96); }
    int pictureAt(POINT client, bool buttonsOnly) const;

    // AccessibleExtras
    std::wstring accessibleName() const override { return m_name; }
    std::wstring accessibleDescription() const override { return m_description; }
    bool isPressable() const override { return m_pressable; }
    void press() override;
    int pictureCount() const override { return static_cast<int>(m_pictures.size()); }
    std::wstring pictureName(int index) const override { return m_pictures[index]->name; }
    bool pictureIsButton(int index) const override { return m_pictures[index]->button; }
    RECT pictureRect(int index) const override;
    int pictureAt(POINT client) const override { return pictureAt(client, false); }
    void pressPicture(int index) override;

    Runtime& m_runtime;
    HWND m_window = nullptr;
    int m_width, m_height; // the client area at 96 dpi
    const design::pictures::Picture& m_backgroundPicture;
    std::wstring m_name, m_description;
    bool m_escapeDismisses, m_pressable;
    int m_dpi = 96;
    Bitmap m_background;
    std::vector<std::unique_ptr<Control>> m_controls;        // in tab order
    std::vector<std::unique_ptr<PaintedPicture>> m_pictures; // from the bottom up
    std::optional<Tooltip> m_tooltip;
    Font m_textFont, m_scaleFont;
    AccessibleObject m_accessible{*this};
    bool m_shown = false;
    HWND m_lastFocus = nullptr; // the control that had the focus when the window was left
    // The mouse: the last press, the button picture it went down on, and whether it may still
    // be a click (no drag yet).
    Click::Press m_press{};
    int m_pressedPicture = -1;
    bool m_tracking = false;
};

} // namespace platform::win32
