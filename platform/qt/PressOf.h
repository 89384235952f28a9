// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <QMouseEvent>

namespace platform::qt {

// A mouse press as a click remembers it.
inline Click::Press pressOf(const QMouseEvent& event) {
    const QPoint at = event.globalPosition().toPoint();
    return {static_cast<std::uint32_t>(event.timestamp()), at.x(), at.y()};
}

} // namespace platform::qt
