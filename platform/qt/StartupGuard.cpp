// SPDX-License-Identifier: MIT
#include "platform/qt/StartupGuard.h"

#include "design/texts.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform::qt {

namespace {

void onStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(design::text::noDisplay.size()),
                     design::text::noDisplay.data());
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
