// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>

// A picture stored as the very pixels the screen is painted with: premultiplied 32-bit, in the
// order of this machine's 32-bit words (B, G, R, A in memory on x86), as both a QImage and a
// 32-bit DIB section keep them, so that showing it needs no decoder. The build writes the files;
// they never travel to another machine. Layout: the header below, then height rows of width
// pixels, 4 bytes each, top row first, no padding. Plain C++, for every front end.
namespace resources::rawpicture {

inline constexpr char extension[] = "pixels";

// The formats, by QImage's numbers for them.
enum Format : std::uint32_t {
    opaque = 4,        // every alpha byte is 255 (QImage::Format_RGB32)
    premultiplied = 6, // QImage::Format_ARGB32_Premultiplied
};

struct Header {
    char magic[4];
    std::uint32_t width, height;
    std::uint32_t format;
};
static_assert(sizeof(Header) == 16);
inline constexpr char magic[4] = {'V', 'P', 'X', '1'};

// The header of `size` bytes that hold such a picture, or nothing.
inline std::optional<Header> readHeader(const unsigned char* bytes, std::int64_t size) {
    Header header;
    if (!bytes || size < std::int64_t(sizeof header))
        return std::nullopt;
    std::memcpy(&header, bytes, sizeof header);
    if (std::memcmp(header.magic, magic, sizeof magic) != 0 ||
        (header.format != opaque && header.format != premultiplied) || header.width == 0 ||
        header.height == 0 || header.width > 32768 || header.height > 32768 ||
        size != std::int64_t(sizeof header) + std::int64_t(header.width) * header.height * 4)
        return std::nullopt;
    return header;
}

} // namespace resources::rawpicture
