// SPDX-License-Identifier: MIT
#include "platform/win32/Runtime.h"
#include "ui/Program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The program reads no command line.
    platform::win32::Runtime runtime(instance, showCommand);
    return ui::Program(runtime).run();
}
