# SPDX-License-Identifier: MIT
# VELMORA_SOURCE_DATE_EPOCH: the time every date in the packages records, in seconds since 1970, so
# that two builds of one commit give the same bytes: SOURCE_DATE_EPOCH when given, otherwise the
# time of the commit the sources are at, otherwise (sources outside git) 0.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(VELMORA_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
    set(VELMORA_SOURCE_DATE_EPOCH 0)
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
            WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
            OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE status ERROR_QUIET)
        if(status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
            set(VELMORA_SOURCE_DATE_EPOCH "${commit_time}")
        endif()
    endif()
endif()
if(NOT VELMORA_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR
        "SOURCE_DATE_EPOCH '${VELMORA_SOURCE_DATE_EPOCH}' is not a number of seconds")
endif()
