// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <stdexcept>
#include <utility>

namespace platform {

// The boundary between an event handler and Qt's event loop, which must never be unwound by an
// exception. Runs handler(); an exception that leaves it is handed to report() instead. Returns
// whether the handler completed. Anything that is not a std::exception is reported as one.
template <class Handler, class Report>
bool guardHandler(Handler&& handler, Report&& report) noexcept {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception& error) {
        std::forward<Report>(report)(error);
    } catch (...) {
        std::forward<Report>(report)(std::runtime_error("unknown error"));
    }
    return false;
}

} // namespace platform
