// SPDX-License-Identifier: MIT
#include "platform/win32/Scaler.h"

#include <algorithm>
#include <cmath>

namespace platform::win32 {

Scaler::Axis::Axis(int from, int to) {
    const double step = double(from) / to; // source pixels per target pixel
    const double half = std::max(step, 1.0) / 2;
    m_spans.reserve(std::size_t(to));
    for (int target = 0; target < to; ++target) {
        const double centre = (target + 0.5) * step;
        const double low = std::max(centre - half, 0.0);
        const double high = std::min(centre + half, double(from));
        const int first = std::min(int(low), from - 1);
        const int end = std::max(int(std::ceil(high)), first + 1);
        const Span span{first, end - first, m_weights.size()};
        int total = 0;
        for (int source = first; source < end; ++source) {
            const double covered = std::min(high, source + 1.0) - std::max(low, double(source));
            const auto weight = std::uint16_t(std::lround(covered / (high - low) * one));
            m_weights.push_back(weight);
            total += weight;
        }
        // Rounding's remainder to the largest, so that a flat colour stays exactly that colour.
        const auto largest =
            std::max_element(m_weights.begin() + std::ptrdiff_t(span.weights), m_weights.end());
        *largest = std::uint16_t(*largest + one - total);
        m_spans.push_back(span);
    }
}

Scaler::Scaler(int sourceWidth, int sourceHeight, int width, int height)
    : m_sourceWidth(sourceWidth)
    , m_columns(sourceWidth, width)
    , m_rows(sourceHeight, height)
    , m_mixed(std::size_t(sourceWidth) * 4) {}

std::pair<int, int> Scaler::sourceRows(int top, int bottom) const {
    return {m_rows.first(top), m_rows.first(bottom - 1) + m_rows.count(bottom - 1)};
}

void Scaler::row(int y, const std::uint32_t* rows, int first, std::uint32_t* target) {
    mixDown(y, rows, first);
    mixAcross(target);
}

void Scaler::mixDown(int y, const std::uint32_t* rows, int first) {
    const std::uint16_t* weights = m_rows.weights(y);
    const int count = m_rows.count(y);
    const std::uint32_t* top = rows + std::size_t(m_rows.first(y) - first) * m_sourceWidth;
    for (int x = 0; x < m_sourceWidth; ++x) {
        std::uint32_t sum[4] = {};
        for (int i = 0; i < count; ++i) {
            const std::uint32_t pixel = top[std::size_t(i) * m_sourceWidth + x];
            for (int channel = 0; channel < 4; ++channel)
                sum[channel] += ((pixel >> (8 * channel)) & 0xFF) * weights[i];
        }
        for (int channel = 0; channel < 4; ++channel) // 256 times the value: the weights / 16
            m_mixed[std::size_t(x) * 4 + channel] = std::uint16_t((sum[channel] + 8) >> 4);
    }
}

void Scaler::mixAcross(std::uint32_t* target) const {
    for (int x = 0; x < m_columns.size(); ++x) {
        const std::uint16_t* weights = m_columns.weights(x);
        const std::uint16_t* mixed = &m_mixed[std::size_t(m_columns.first(x)) * 4];
        std::uint32_t sum[4] = {};
        for (int i = 0; i < m_columns.count(x); ++i) {
            for (int channel = 0; channel < 4; ++channel)
                sum[channel] += std::uint32_t(mixed[i * 4 + channel]) * weights[i];
        }
        std::uint32_t pixel = 0;
        for (int channel = 0; channel < 4; ++channel) // 256 times the weights' one
            pixel |= ((sum[channel] + (1u << 19)) >> 20) << (8 * channel);
        target[x] = pixel;
    }
}

} // namespace platform::win32
