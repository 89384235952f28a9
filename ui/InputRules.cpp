// SPDX-License-Identifier: MIT
#include "ui/InputRules.h"

#include <utility>

namespace ui::input {

namespace {

constexpr char32_t replacement = 0xFFFD;

// The code point that starts at text[at], and how many bytes it takes.
std::pair<char32_t, std::size_t> decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[at + i]);
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (size == 0 || lead > 0xF4 || at + size > text.size())
        return {replacement, 1};
    char32_t code = lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {replacement, 1};
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return {code, size};
}

} // namespace

Judgement judge(std::string_view utf8) {
    Judgement judgement;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto [code, size] = decode(utf8, at);
        judgement.length += code > 0xFFFF ? 2 : 1;
        if (code != backspace && code <= 0xFFFF && isAcceptedCode(static_cast<int>(code)))
            judgement.kept += static_cast<char>(code);
        else
            judgement.refused = true;
        at += size;
    }
    return judgement;
}

} // namespace ui::input
