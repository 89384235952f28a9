// SPDX-License-Identifier: MIT
#pragma once

namespace design {

// The character codes an unsigned decimal number is typed with: the digits, the full stop, and
// backspace.
constexpr bool isAcceptedCode(int code) {
    return (code >= 48 && code <= 57) || code == 8 || code == 46;
}

} // namespace design
