// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <deque>
#include <utility>

namespace platform {

// The message boxes a runtime owes the user: the one showing, and those asked for while it showed
// or while another program waited for an answer, in order, each text once. Toolkit-free: Box is a
// backend's, with a `text`.
template <class Box> class MessageBoxes {
public:
    bool showing() const { return m_showing != nullptr; }
    bool anyWaiting() const { return !m_waiting.empty(); }

    // Keeps box to show later, unless one with its text is showing or waiting already; whether it
    // was kept.
    bool wait(Box box) {
        const auto same = [&box](const Box& other) {
            return other.text == box.text;
        };
        if ((m_showing && same(*m_showing)) ||
            std::any_of(m_waiting.begin(), m_waiting.end(), same))
            return false;
        m_waiting.push_back(std::move(box));
        return true;
    }
    // The first box waiting, taken out; there is one.
    Box next() {
        Box box = std::move(m_waiting.front());
        m_waiting.pop_front();
        return box;
    }
    void forget() { m_waiting.clear(); }

    // Runs show(), which shows box until the user closes it, with box known as the one showing.
    template <class Show> void show(const Box& box, Show&& show) {
        m_showing = &box;
        std::forward<Show>(show)();
        m_showing = nullptr;
    }

private:
    const Box* m_showing = nullptr;
    std::deque<Box> m_waiting;
};

} // namespace platform
