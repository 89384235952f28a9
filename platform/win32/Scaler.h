// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform::win32 {

// Scales premultiplied 32-bit pixels (B, G, R, A in memory, as a DIB section keeps them) a target
// row at a time. Each target pixel is the average of the source area it covers, a span at least
// one source pixel wide along each axis: shrinking averages every pixel it folds into one,
// enlarging interpolates linearly, and at the same size each pixel is its source, unchanged.
class Scaler {
public:
    Scaler(int sourceWidth, int sourceHeight, int width, int height);

    // The source rows that target rows [top, bottom) are made of: [first, end).
    std::pair<int, int> sourceRows(int top, int bottom) const;
    // Target row y (of the target width) from `rows`, which hold the source rows from `first` on.
    void row(int y, const std::uint32_t* rows, int first, std::uint32_t* target);

private:
    // Which source pixels of a line make each target pixel, with what weights (in 1/4096ths,
    // those of a target pixel adding up to exactly one).
    class Axis {
    public:
        static constexpr int one = 4096;
        Axis(int from, int to);

        int size() const { return static_cast<int>(m_spans.size()); }
        int first(int target) const { return m_spans[target].first; }
        int count(int target) const { return m_spans[target].count; }
        const std::uint16_t* weights(int target) const {
            return &m_weights[m_spans[target].weights];
        }

    private:
        struct Span {
            int first, count;
            std::size_t weights;
        };
        std::vector<Span> m_spans;
        std::vector<std::uint16_t> m_weights;
    };

    void mixDown(int y, const std::uint32_t* rows, int first);
    void mixAcross(std::uint32_t* target) const;

    int m_sourceWidth;
    Axis m_columns, m_rows;
    // A source row's width of pixels mixed from the rows of one target row: each channel at 256
    // times its value, so that the second step rounds only once.
    std::vector<std::uint16_t> m_mixed;
};

} // namespace platform::win32
