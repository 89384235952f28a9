# SPDX-License-Identifier: MIT
# Checks the program icon with imagemagick's identify, a reader independent of ours:
# cmake -DIDENTIFY=... -DICON=... -P check_icon_with_identify.cmake
execute_process(COMMAND "${IDENTIFY}" -format "%wx%h %z\n" "${ICON}"
    OUTPUT_VARIABLE sizes RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "identify failed on ${ICON}")
endif()
# The alpha channel's depth tells palette images (a 1-bit mask) from 32-bit ones.
execute_process(COMMAND "${IDENTIFY}" -verbose "${ICON}" OUTPUT_VARIABLE verbose)
string(REGEX MATCHALL "\n    alpha: [0-9]+-bit" alphas "${verbose}")

string(STRIP "${sizes}" sizes)
string(REPLACE "\n" ";" sizes "${sizes}")
set(found "")
foreach(size alpha IN ZIP_LISTS sizes alphas)
    string(REGEX REPLACE ".*alpha: " "" alpha "${alpha}")
    list(APPEND found "${size} alpha ${alpha}")
endforeach()

set(expected
    "48x48 4 alpha 1-bit" "32x32 4 alpha 1-bit" "24x24 4 alpha 1-bit" "16x16 4 alpha 1-bit"
    "48x48 8 alpha 1-bit" "32x32 8 alpha 1-bit" "24x24 8 alpha 1-bit" "16x16 8 alpha 1-bit"
    "128x128 8 alpha 8-bit" "48x48 8 alpha 8-bit" "32x32 8 alpha 8-bit" "24x24 8 alpha 8-bit"
    "16x16 8 alpha 8-bit")
if(NOT found STREQUAL expected)
    string(REPLACE ";" "\n  " found "${found}")
    message(FATAL_ERROR "identify lists the icon's images as:\n  ${found}")
endif()
message(STATUS "identify lists the 13 images of ${ICON}")
