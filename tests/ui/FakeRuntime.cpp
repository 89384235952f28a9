// SPDX-License-Identifier: MIT
#include "FakeRuntime.h"

namespace fake {

std::u16string Utf16(std::string_view utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = size == 1 ? lead : lead & (0x7F >> size);
        for (std::size_t k = 1; k < size && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (code > 0xFFFF) { // a surrogate pair
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            code = 0xDC00 + ((code - 0x10000) & 0x3FF);
        }
        out += static_cast<char16_t>(code);
        i += size;
    }
    return out;
}

std::string Utf8(std::u16string_view utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < utf16.size())
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        const int size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        out += size == 1 ? static_cast<char>(code)
                         : static_cast<char>((0xF00 >> size) | (code >> (6 * (size - 1))));
        for (int k = size - 2; k >= 0; --k)
            out += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
    }
    return out;
}

} // namespace fake
