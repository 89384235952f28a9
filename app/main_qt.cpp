// SPDX-License-Identifier: MIT
#include "platform/qt/Runtime.h"
#include "ui/Program.h"

int main(int, char* argv[]) {
    // The program reads no command line: the toolkit sees only the program's name.
    platform::qt::Runtime runtime(argv[0]);
    return ui::Program(runtime).run();
}
