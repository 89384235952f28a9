# SPDX-License-Identifier: MIT
# The project version in the forms the Windows version record uses; dist/ and win32/ share them.
# The version as Windows shows it, "1.00.0005": major, minor as two digits, then the fourth
# component as four digits. That form has no place for the third one, so it must stay 0.
if(NOT PROJECT_VERSION_PATCH EQUAL 0)
    message(FATAL_ERROR "Version ${PROJECT_VERSION}: the third component must be 0, "
                        "the Windows form of the version (1.00.0005) cannot show it")
endif()
set(tweak "${PROJECT_VERSION_TWEAK}")
if(tweak STREQUAL "")
    set(tweak 0)
endif()
function(velmora_zero_pad out value width)
    string(LENGTH "${value}" length)
    if(length LESS width)
        math(EXPR missing "${width} - ${length}")
        string(REPEAT "0" ${missing} zeros)
        set(value "${zeros}${value}")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()
velmora_zero_pad(minor "${PROJECT_VERSION_MINOR}" 2)
velmora_zero_pad(tweak_padded "${tweak}" 4)
set(VELMORA_DISPLAY_VERSION "${PROJECT_VERSION_MAJOR}.${minor}.${tweak_padded}")
set(VELMORA_RC_VERSION
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${tweak}")
