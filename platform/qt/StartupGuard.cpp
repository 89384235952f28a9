// SPDX-License-Identifier: MIT
#include "platform/qt/StartupGuard.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform::qt {

namespace {

void onStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs("velmora-temperature-converter: no display to show the window on "
                   "(run it on a desktop, or on a virtual display with xvfb-run)\n",
                   stderr);
        std::_Exit(1);
    }
    // The window system's own complaints lead up to the fatal message, which the line above sums
    // up.
    if (context.category && std::string_view(context.category).starts_with("qt.qpa"))
        return;
    std::fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')), stderr);
}

} // namespace

StartupGuard::StartupGuard()
    : m_previous(qInstallMessageHandler(&onStartupMessage)) {}

StartupGuard::~StartupGuard() {
    qInstallMessageHandler(m_previous);
}

} // namespace platform::qt
