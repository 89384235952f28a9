// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

// Every text the program shows or tells a screen reader, and the words painted into its pictures
// (the artwork generator takes them from here). The scales' names are the conversion's
// (conversion::ScaleName).
namespace design::text {

inline constexpr std::string_view title = "Velmora Temperature Converter";

// The main window's controls, as a screen reader names them; the captions beside the boxes are
// painted, so nothing else names them.
inline constexpr std::string_view inputName = "Temperature to convert";
inline constexpr std::string_view scaleName = "Scale";
inline constexpr std::string_view closeName = "Close";
inline constexpr std::string_view aboutName = "About"; // also the About banner's lettering
inline constexpr std::string_view converterCaption = "Converter"; // painted beside the input

inline constexpr std::string_view inputTip = "Please enter the value to convert";
inline constexpr std::string_view notANumber =
    "Not a number: enter digits with at most one full stop";
inline constexpr std::string_view outOfRange = "Out of range: the number is too large to convert";
inline constexpr std::string_view cannotConvert = "Cannot convert: "; // followed by the reason

// The input's message box. Both messages begin with a blank.
inline constexpr std::string_view validationTitle = "Input validation";
inline constexpr std::string_view refusedCharacter =
    " The character you entered is not allowed in the TextBox";
inline constexpr std::string_view tooLong = " The text you entered is too long for the TextBox, "
                                            "which takes at most 50000 characters";

// On standard error, when the Linux program finds no display to show its window on.
inline constexpr std::string_view noDisplay =
    "velmora-temperature-converter: no display to show the window on "
    "(run it on a desktop, or on a virtual display with xvfb-run)";

// What the user is told when the program meets a fault of its own and must end; the reason
// follows.
inline constexpr std::string_view internalError =
    "Velmora Temperature Converter met an error it cannot recover from and will close: ";

// The About window: its title, and the lines lettered on its card, which a screen reader reads
// in place of the picture.
inline constexpr std::string_view aboutTitle = "Form2";
inline constexpr std::string_view cardVersion = "Version 1.0";
inline constexpr std::array<std::string_view, 4> cardCredits = {
    "Written by Orla Vantreeve",
    "orla.vantreeve@example.org",
    "Lantern Quay, Velmora",
    "1999",
};

} // namespace design::text
