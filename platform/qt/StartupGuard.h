// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

namespace platform::qt {

// While it lives (around the construction of the application object), turns the toolkit's fatal
// start-up failure, no display or no usable window system, into one clear line on standard error
// and exit status 1, instead of several lines, an abort and a core dump.
class StartupGuard {
public:
    StartupGuard();
    ~StartupGuard();
    StartupGuard(const StartupGuard&) = delete;
    StartupGuard& operator=(const StartupGuard&) = delete;

private:
    QtMessageHandler m_previous;
};

} // namespace platform::qt
