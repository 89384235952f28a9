// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QWidget>

// A window of the program by its title, or nullptr. Only a visible one counts: a combo box's list
// is a top-level widget too, and an unloaded window may be waiting to be deleted.
inline QWidget* programWindow(const char* title) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == QLatin1String(title))
            return window;
    return nullptr;
}

inline QWidget* mainWindow() {
    return programWindow("Velmora Temperature Converter");
}
