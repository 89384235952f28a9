# SPDX-License-Identifier: MIT
# Builds a Windows Installer package, cmake -DWIXL=wixl -DWXS=<.wxs> -DOUTPUT=<.msi> -P wixl.cmake,
# run in the folder of the files the package holds, as wixl finds them by relative names. Their
# size, for the Apps & features entry, is known only now: it goes in as EstimatedSize, in KiB.
file(GLOB files LIST_DIRECTORIES false "*")
set(bytes 0)
foreach(file IN LISTS files)
    file(SIZE "${file}" size)
    math(EXPR bytes "${bytes} + ${size}")
endforeach()
math(EXPR kib "(${bytes} + 1023) / 1024")
execute_process(COMMAND "${WIXL}" -D EstimatedSize=${kib} -o "${OUTPUT}" "${WXS}"
                COMMAND_ERROR_IS_FATAL ANY)
