// SPDX-License-Identifier: MIT
#pragma once

#include "resources/raw_format.h"

#include <cstdint>
#include <cstring>
#include <optional>

// A picture's raw pixels (raw_format.h) deflated a band of rows at a time, each band a zlib
// stream of its own: a program that paints a band of its window inflates only the rows it shows,
// and never holds the whole picture. Layout: the header below, then a table of where each band's
// stream ends (32-bit, counted from the first stream's start), then the streams. Each row in a
// stream is a filter byte and the row's pixels, filtered as a PNG's rows are (which shrinks
// gradients by a tenth to a half): 4 bytes a pixel, or 3 (B, G, R) when the picture is opaque,
// its alpha then being 255 throughout. Plain C++, for every front end.
namespace resources::packedpicture {

inline constexpr char extension[] = "packed";

// PNG's filters: each byte is stored less what these predict from the same channel of the pixel
// to its left (a), the one above (b) and the one above that (c); 0 beyond an edge, and above a
// band's first row.
enum Filter : unsigned char { none, sub, up, average, paeth, filters };

inline unsigned char paethPredictor(unsigned char a, unsigned char b, unsigned char c) {
    const int estimate = a + b - c;
    const int da = estimate > a ? estimate - a : a - estimate;
    const int db = estimate > b ? estimate - b : b - estimate;
    const int dc = estimate > c ? estimate - c : c - estimate;
    return da <= db && da <= dc ? a : db <= dc ? b : c;
}

inline unsigned char predict(unsigned filter, unsigned char a, unsigned char b, unsigned char c) {
    switch (filter) {
    case sub:
        return a;
    case up:
        return b;
    case average:
        return static_cast<unsigned char>((a + b) / 2);
    case paeth:
        return paethPredictor(a, b, c);
    default:
        return 0;
    }
}

// The bytes a pixel takes in a stream.
inline unsigned pixelBytes(std::uint32_t format) {
    return format == rawpicture::opaque ? 3 : 4;
}

struct Header {
    char magic[4];
    std::uint32_t width, height;
    std::uint32_t format; // rawpicture::Format
    std::uint32_t bandRows;
};
static_assert(sizeof(Header) == 20);
inline constexpr char magic[4] = {'V', 'P', 'Z', '2'};

struct Picture {
    Header header;
    const unsigned char* table; // the bands' ends, unaligned
    const unsigned char* streams;
    std::uint32_t streamsSize;

    std::uint32_t bands() const { return (header.height + header.bandRows - 1) / header.bandRows; }
    std::uint32_t bandEnd(std::uint32_t band) const {
        std::uint32_t end;
        std::memcpy(&end, table + 4 * std::size_t(band), sizeof end);
        return end;
    }
    std::uint32_t bandStart(std::uint32_t band) const { return band ? bandEnd(band - 1) : 0; }
};

// The picture in `size` bytes, or nothing when they hold none: every band's stream must lie
// inside them, in order.
inline std::optional<Picture> read(const unsigned char* bytes, std::int64_t size) {
    Picture picture{};
    if (!bytes || size < std::int64_t(sizeof(Header)))
        return std::nullopt;
    Header& header = picture.header;
    std::memcpy(&header, bytes, sizeof header);
    if (std::memcmp(header.magic, magic, sizeof magic) != 0 ||
        (header.format != rawpicture::opaque && header.format != rawpicture::premultiplied) ||
        header.width == 0 || header.height == 0 || header.width > 32768 || header.height > 32768 ||
        header.bandRows == 0)
        return std::nullopt;
    const std::int64_t tableSize = std::int64_t(picture.bands()) * 4;
    if (size < std::int64_t(sizeof header) + tableSize)
        return std::nullopt;
    picture.table = bytes + sizeof header;
    picture.streams = picture.table + tableSize;
    picture.streamsSize = std::uint32_t(size - std::int64_t(sizeof header) - tableSize);
    for (std::uint32_t band = 0; band < picture.bands(); ++band) {
        if (picture.bandEnd(band) <= picture.bandStart(band))
            return std::nullopt;
    }
    if (picture.bandEnd(picture.bands() - 1) != picture.streamsSize)
        return std::nullopt;
    return picture;
}

} // namespace resources::packedpicture
