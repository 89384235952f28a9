# SPDX-License-Identifier: MIT
# Cross-building for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix). The
# program ships as a 32-bit .exe; this build runs the same sources and tests under 64-bit Wine on
# machines whose kernel runs no 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(velmora_mingw_triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Debian installs the 64-bit loader outside PATH; `wine` itself would pick the 32-bit one.
find_program(VELMORA_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(VELMORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${VELMORA_WINE}")
endif()
