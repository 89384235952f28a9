// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <utility>

// What both backends need where their toolkit calls the program. Toolkit-free.
namespace platform {

// Where a toolkit calls the program (a window procedure, an event, a screen reader's call): a
// fault must not unwind through the toolkit, which is not built to pass it. The first one is kept
// for the runtime to throw again once its loop is over; from then on no handler of the program
// runs, and endLoop (given by the backend) ends the toolkit's loops.
class Guard {
public:
    explicit Guard(void (*endLoop)())
        : m_endLoop(endLoop) {}

    // call's result, or otherwise's once a fault has happened (this one or an earlier one).
    template <class Call, class Otherwise>
    auto operator()(Call&& call, Otherwise&& otherwise) noexcept {
        if (!m_fault) {
            try {
                return std::forward<Call>(call)();
            } catch (...) {
                m_fault = std::current_exception();
                m_endLoop();
            }
        }
        return std::forward<Otherwise>(otherwise)();
    }
    template <class Call> void operator()(Call&& call) noexcept {
        (*this)(std::forward<Call>(call), [] {});
    }

    bool tripped() const { return static_cast<bool>(m_fault); }
    // Throws the fault kept, if any; it stays kept, so that no handler runs again.
    void rethrow() const {
        if (m_fault)
            std::rethrow_exception(m_fault);
    }

private:
    void (*m_endLoop)();
    std::exception_ptr m_fault;
};

// While one lives, the program is answering another program that waits for the answer (a screen
// reader's call, a message another program sent, a drop's source): the runtime shows no message
// box meanwhile. depth is the runtime's count of them.
class Answering {
public:
    explicit Answering(int& depth)
        : m_depth(depth) {
        ++m_depth;
    }
    ~Answering() { --m_depth; }
    Answering(const Answering&) = delete;
    Answering& operator=(const Answering&) = delete;

private:
    int& m_depth;
};

} // namespace platform
