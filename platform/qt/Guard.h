// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QThread>
#include <exception>
#include <utility>

namespace platform::qt {

// Where Qt calls the program (every handler, whichever event or screen reader's call brought it):
// a fault must not unwind through Qt, which is not built to pass exceptions. The first one is kept
// for the runtime to throw again once its loop is over; from then on no handler of the program
// runs, and the loop ends.
class Guard {
public:
    template <class Call> void operator()(Call&& call) noexcept {
        if (m_fault)
            return;
        try {
            std::forward<Call>(call)();
        } catch (...) {
            m_fault = std::current_exception();
            // Every loop, the message boxes' too; none is running before the runtime's starts.
            if (QThread::currentThread()->loopLevel() > 0)
                QCoreApplication::exit();
        }
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

} // namespace platform::qt
