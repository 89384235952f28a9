// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The forms runtime speaks UTF-8; Qt, UTF-16.
namespace platform::qt {

inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toStd(const QString& text) {
    return text.toStdString();
}

} // namespace platform::qt
