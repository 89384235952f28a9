// SPDX-License-Identifier: MIT
#pragma once

#include "design/texts.h"

#include <cstddef>
#include <string>
#include <string_view>

// What the input box takes: only what can make up an unsigned decimal number.
namespace ui::input {

inline constexpr int backspace = 8;

// The longest input the box takes. No temperature needs a tenth of it: every double can be spelt
// in about 1,100 characters (309 integer digits, or 323 zeros after the full stop and the 767
// digits that can decide a rounding). A text box lays out its whole line at every change and
// every blink of the cursor, so an unlimited paste of a log would keep the program busy.
inline constexpr std::size_t maxLength = 50'000;

// Whether text spells number in decimal digits somewhere, as the message that names the limit
// must.
constexpr bool spells(std::string_view text, std::size_t number) {
    char digits[20] = {};
    std::size_t length = 0;
    do {
        digits[length++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    std::string_view reversed(digits, length);
    for (std::size_t at = 0; at + length <= text.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < length && same; ++i)
            same = text[at + i] == reversed[length - 1 - i];
        if (same)
            return true;
    }
    return false;
}
static_assert(spells(design::text::tooLong, maxLength), "the message names another limit");

// The character codes an unsigned decimal number is typed with: the digits, the full stop, and
// backspace.
constexpr bool isAcceptedCode(int code) {
    return (code >= '0' && code <= '9') || code == backspace || code == '.';
}

// Text that arrives other than by typing, judged a character at a time.
struct Judgement {
    std::string kept;       // the accepted characters, in order
    bool refused = false;   // some character was not
    std::size_t length = 0; // of the whole text, in UTF-16 code units
};

// A backspace in text is refused: as a key it deletes, in text it is an invisible control
// character. Bytes that are not UTF-8 are refused as U+FFFD.
Judgement judge(std::string_view utf8);

} // namespace ui::input
