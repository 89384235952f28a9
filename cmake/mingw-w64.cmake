# SPDX-License-Identifier: MIT
# What the MinGW-w64 toolchain files share: Debian's cross compilers for ${velmora_mingw_triplet}
# (with POSIX threads), searching only the target's libraries, linked statically.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${velmora_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${velmora_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${velmora_mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${velmora_mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW, C++ runtime or threads DLLs beside the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
