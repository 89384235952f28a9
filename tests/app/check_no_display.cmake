# SPDX-License-Identifier: MIT
# Without a display (or with a window system that is not there) the program must end with status 1
# and one clear line, not abort; its arguments, here toolkit options, must change nothing.
foreach(platform xcb nosuch)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                QT_QPA_PLATFORM=${platform} ${PROGRAM} -platform offscreen -qwindowtitle Hijacked
        RESULT_VARIABLE status
        OUTPUT_VARIABLE out
        ERROR_VARIABLE err
        TIMEOUT 20)
    string(REGEX MATCHALL "\n" newlines "${err}")
    list(LENGTH newlines lines)
    if(NOT status EQUAL 1 OR NOT lines EQUAL 1 OR NOT err MATCHES "^velmora-temperature-converter: no display")
        message(FATAL_ERROR "QT_QPA_PLATFORM=${platform}: status ${status}, stderr:\n${err}")
    endif()
endforeach()
