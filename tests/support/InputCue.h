// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPalette>

// How the input box tells the user how the last conversion ended: a failure turns it pale red
// and its tooltip, which a screen reader reads as its description, says why.
enum class InputCue { None, NotANumber, OutOfRange, Mixed };

inline const char* cueName(InputCue cue) {
    switch (cue) {
    case InputCue::None:
        return "no problem";
    case InputCue::NotANumber:
        return "not a number";
    case InputCue::OutOfRange:
        return "out of range";
    case InputCue::Mixed:
        break;
    }
    return "a colour, tooltip and description that disagree";
}

// For QCOMPARE's messages.
inline char* toString(InputCue cue) {
    return qstrdup(cueName(cue));
}

inline InputCue inputCue(const QLineEdit& input) {
    const QString tip = input.toolTip();
    if (input.accessibleDescription() != tip)
        return InputCue::Mixed;
    const bool red = input.palette().color(QPalette::Base) == QColor(255, 224, 224);
    if (!red && tip == QLatin1String("Please enter the value to convert"))
        return InputCue::None;
    if (red && tip.startsWith(QLatin1String("Not a number")))
        return InputCue::NotANumber;
    if (red && tip.startsWith(QLatin1String("Out of range")))
        return InputCue::OutOfRange;
    return InputCue::Mixed;
}
