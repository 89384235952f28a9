// SPDX-License-Identifier: MIT
// The Windows program's pictures on made-up pixels: packed pictures inflated a few rows at a time,
// whatever their filters and bands, broken ones refused; and the scaling the program draws them
// with, exact at the same size and smooth at any other.
#include "platform/win32/Bitmap.h"
#include "platform/win32/Scaler.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>
#include <zlib.h>

namespace {

namespace packed = resources::packedpicture;
using platform::win32::inflateRows;
using platform::win32::Scaler;
using Pixels = std::vector<std::uint32_t>;

// Premultiplied pixels, seeded: every channel at most the alpha, or an alpha of 255 throughout.
Pixels randomPixels(int count, bool opaque, unsigned seed) {
    std::mt19937 random(seed);
    Pixels pixels(std::size_t(count), 0);
    for (auto& pixel : pixels) {
        const std::uint32_t alpha = opaque ? 255 : random() % 256;
        pixel = alpha << 24;
        for (int shift = 0; shift < 24; shift += 8)
            pixel |= (alpha ? random() % (alpha + 1) : 0) << shift;
    }
    return pixels;
}

// A packed file of the pixels, the rows of each band filtered in turn by each of `filters`.
std::vector<unsigned char> pack(const Pixels& pixels, int width, bool opaque, int bandRows,
                                const std::vector<unsigned>& filters) {
    const int height = static_cast<int>(pixels.size()) / width;
    const unsigned bpp = opaque ? 3 : 4;
    std::vector<unsigned char> table, streams;
    for (int top = 0; top < height; top += bandRows) {
        std::vector<unsigned char> band, above(std::size_t(width) * bpp, 0);
        for (int y = top; y < std::min(height, top + bandRows); ++y) {
            std::vector<unsigned char> row;
            for (int x = 0; x < width; ++x) {
                for (unsigned byte = 0; byte < bpp; ++byte)
                    row.push_back((pixels[std::size_t(y) * width + x] >> (8 * byte)) & 0xFF);
            }
            const unsigned filter = filters[std::size_t(y - top) % filters.size()];
            band.push_back(static_cast<unsigned char>(filter));
            for (std::size_t i = 0; i < row.size(); ++i) {
                const unsigned char a = i >= bpp ? row[i - bpp] : 0;
                const unsigned char c = i >= bpp ? above[i - bpp] : 0;
                band.push_back(
                    static_cast<unsigned char>(row[i] - packed::predict(filter, a, above[i], c)));
            }
            above = row;
        }
        uLongf size = compressBound(static_cast<uLong>(band.size()));
        std::vector<unsigned char> stream(size);
        compress2(stream.data(), &size, band.data(), static_cast<uLong>(band.size()), 9);
        streams.insert(streams.end(), stream.begin(), stream.begin() + std::ptrdiff_t(size));
        const auto end = static_cast<std::uint32_t>(streams.size());
        table.resize(table.size() + sizeof end);
        std::memcpy(&table[table.size() - sizeof end], &end, sizeof end);
    }
    packed::Header header{{},
                          std::uint32_t(width),
                          std::uint32_t(height),
                          opaque ? resources::rawpicture::opaque
                                 : resources::rawpicture::premultiplied,
                          std::uint32_t(bandRows)};
    std::memcpy(header.magic, packed::magic, sizeof header.magic);
    std::vector<unsigned char> file(sizeof header + table.size() + streams.size());
    std::memcpy(file.data(), &header, sizeof header);
    std::copy(streams.begin(), streams.end(),
              std::copy(table.begin(), table.end(), file.begin() + sizeof header));
    return file;
}

// The picture in the file, which it points into.
std::optional<packed::Picture> read(const std::vector<unsigned char>& file) {
    return packed::read(file.data(), static_cast<std::int64_t>(file.size()));
}

TEST(PackedPicture, InflatesAnyRowsWhateverTheirFiltersAndBands) {
    struct Case {
        const char* name;
        bool opaque;
        std::vector<unsigned> filters;
        int first, end; // of the 23 rows, in bands of 8
    };
    const Case cases[] = {
        {"whole, unfiltered", false, {packed::none}, 0, 23},
        {"whole, each filter in turn", false, {0, 1, 2, 3, 4}, 0, 23},
        {"opaque, 3 bytes a pixel", true, {4, 3, 2, 1, 0}, 0, 23},
        {"inside one band", false, {1, 4}, 10, 13},
        {"across bands, from mid-band", true, {2, 3}, 5, 17},
        {"the short last band", false, {4}, 20, 23},
        {"one row", true, {3}, 15, 16},
    };
    constexpr int width = 13, height = 23;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pixels pixels = randomPixels(width * height, c.opaque, 7);
        const std::vector<unsigned char> file = pack(pixels, width, c.opaque, 8, c.filters);
        const auto picture = read(file);
        ASSERT_TRUE(picture);
        Pixels rows(std::size_t(c.end - c.first) * width);
        ASSERT_TRUE(inflateRows(*picture, c.first, c.end, rows.data()));
        EXPECT_EQ(rows, Pixels(pixels.begin() + c.first * width, pixels.begin() + c.end * width));
    }
}

TEST(PackedPicture, RefusesBrokenFiles) {
    const Pixels pixels = randomPixels(6 * 10, false, 3);
    const std::vector<unsigned char> good = pack(pixels, 6, false, 4, {packed::sub});
    constexpr std::size_t table = sizeof(packed::Header), streams = table + 3 * 4;
    struct Case {
        const char* name;
        std::size_t at; // a byte set to `value`; or, with `cut`, where the file ends
        unsigned char value;
        bool cut;
    };
    const Case unreadable[] = {
        {"another magic", 3, '9', false},
        {"no band rows", table - 4, 0, false},
        {"cut in its table", table + 5, 0, true},
        {"cut in its last stream", good.size() - 1, 0, true},
        {"a band ending before it starts", table + 4, 0, false},
    };
    for (const Case& c : unreadable) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> file = good;
        if (c.cut)
            file.resize(c.at);
        else
            file[c.at] = c.value;
        EXPECT_FALSE(read(file));
    }
    // Read, but not inflated: a stream that is not zlib's, a filter that is none of the five.
    std::vector<unsigned char> broken = good;
    broken[streams + 1] ^= 0xFF;
    const std::vector<unsigned char> unknownFilter = pack(pixels, 6, false, 4, {packed::filters});
    const std::vector<unsigned char>* files[] = {&broken, &unknownFilter};
    for (const auto* file : files) {
        const auto picture = read(*file);
        ASSERT_TRUE(picture);
        Pixels rows(pixels.size());
        EXPECT_FALSE(inflateRows(*picture, 0, 10, rows.data()));
    }
}

// The whole picture scaled, a target row at a time.
Pixels scale(const Pixels& source, int width, int height, int toWidth, int toHeight) {
    Scaler scaler(width, height, toWidth, toHeight);
    Pixels target(std::size_t(toWidth) * toHeight);
    for (int y = 0; y < toHeight; ++y) {
        const auto [first, end] = scaler.sourceRows(y, y + 1);
        EXPECT_TRUE(first >= 0 && first < end && end <= height);
        scaler.row(y, source.data() + std::size_t(first) * width, first,
                   target.data() + std::size_t(y) * toWidth);
    }
    return target;
}

struct Size {
    const char* name;
    int width, height, toWidth, toHeight;
};
// The program's: 1x at 100 %, @2x at 125 to 175 % and 250 %; and odd sizes.
const Size sizes[] = {
    {"same size", 37, 19, 37, 19},     {"@2x at 125 %", 44, 36, 28, 23},
    {"@2x at 150 %", 44, 36, 33, 27},  {"@2x at 175 %", 44, 36, 39, 32},
    {"@2x at 250 %", 44, 36, 55, 45},  {"a pixel to many", 1, 1, 9, 5},
    {"many to a pixel", 17, 13, 1, 1}, {"odd, both ways", 7, 30, 19, 11},
};

TEST(Scaler, KeepsAFlatColourAndPremultipliedPixelsAtAnySize) {
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.name);
        const std::uint32_t flat = 0x80402010;
        const Pixels flatScaled = scale(Pixels(std::size_t(s.width) * s.height, flat), s.width,
                                        s.height, s.toWidth, s.toHeight);
        EXPECT_EQ(flatScaled, Pixels(flatScaled.size(), flat));
        const Pixels source = randomPixels(s.width * s.height, false, 11);
        for (const std::uint32_t pixel : scale(source, s.width, s.height, s.toWidth, s.toHeight)) {
            for (int shift = 0; shift < 24; shift += 8)
                ASSERT_LE((pixel >> shift) & 0xFF, pixel >> 24);
        }
    }
}

TEST(Scaler, LeavesEachPixelAtTheSameSizeAndAveragesWhatItHalves) {
    const Pixels single = randomPixels(9 * 7, false, 5);
    EXPECT_EQ(scale(single, 9, 7, 9, 7), single);
    Pixels twice(18 * 14);
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 18; ++x)
            twice[std::size_t(y) * 18 + x] = single[std::size_t(y / 2) * 9 + x / 2];
    }
    EXPECT_EQ(scale(twice, 18, 14, 9, 7), single);
}

TEST(Scaler, MakesAHardEdgeAGradientNotASteps) {
    // Black then white, 4 pixels each, to 3 and to 13: every pixel between its neighbours, and
    // the edge itself neither of the two.
    Pixels edge(8, 0xFF000000);
    std::fill(edge.begin() + 4, edge.end(), 0xFFFFFFFF);
    for (const int to : {3, 13}) {
        SCOPED_TRACE(to);
        const Pixels row = scale(edge, 8, 1, to, 1);
        EXPECT_TRUE(std::is_sorted(row.begin(), row.end()));
        EXPECT_TRUE(std::any_of(row.begin(), row.end(), [](std::uint32_t pixel) {
            return pixel != 0xFF000000 && pixel != 0xFFFFFFFF;
        }));
    }
}

} // namespace
