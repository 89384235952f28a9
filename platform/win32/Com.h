// SPDX-License-Identifier: MIT
#pragma once

namespace platform::win32 {

// COM on the user-interface thread, started the first time something needs it (a screen reader's
// question), so that a start-up that needs none never pays for it. Ends with its owner, the
// runtime, after every window.
class ComApartment {
public:
    ComApartment() = default;
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // False when COM cannot be had.
    bool use();

private:
    enum class State { NotStarted, Started, Unavailable } m_state = State::NotStarted;
};

} // namespace platform::win32
