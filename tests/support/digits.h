// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// What the toolkit tests' input handlers keep of an inserted text: its digits, so that a test
// sees at once whether the box took the handler's word rather than the text.
inline std::string digitsOf(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}
