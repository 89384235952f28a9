// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>
#include <exception>
#include <utility>

namespace platform::win32 {

// Where Windows calls the program (the window and subclass procedures, a screen reader's calls):
// a fault must not unwind through user32 or COM. The first one is kept for the runtime to throw
// again once its loop is over; from then on no handler of the program runs, and the loop ends.
class Guard {
public:
    // call's result, or otherwise's once a fault has happened (this one or an earlier one).
    template <class Call, class Otherwise>
    auto operator()(Call&& call, Otherwise&& otherwise) noexcept {
        if (!m_fault) {
            try {
                return std::forward<Call>(call)();
            } catch (...) {
                m_fault = std::current_exception();
                PostQuitMessage(0);
            }
        }
        return std::forward<Otherwise>(otherwise)();
    }

    bool tripped() const { return static_cast<bool>(m_fault); }
    // Throws the fault kept, if any; it stays kept, so that no handler runs again.
    void rethrow() const {
        if (m_fault)
            std::rethrow_exception(m_fault);
    }

private:
    std::exception_ptr m_fault;
};

} // namespace platform::win32
