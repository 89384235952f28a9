# SPDX-License-Identifier: MIT
# The picture names and icon sizes, read from design/pictures.h, their one home:
#   VELMORA_PICTURES    background;title-banner;...
#   VELMORA_ICON_SIZES  16;24;...
#   VELMORA_WINDOW_ICON_SIZES  16;24;...
# Run as a script (cmake -P design/pictures.cmake) it prints the first two, for shell scripts:
#   background;title-banner;... 16;24;...
set(_velmora_pictures_h "${CMAKE_CURRENT_LIST_DIR}/pictures.h")
if(NOT CMAKE_SCRIPT_MODE_FILE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_velmora_pictures_h}")
endif()
file(READ "${_velmora_pictures_h}" _velmora_text)

set(VELMORA_PICTURES "")
string(REGEX MATCHALL "constexpr Picture [A-Za-z]+{\"[a-z0-9-]+\"" _velmora_found
       "${_velmora_text}")
foreach(_velmora_line IN LISTS _velmora_found)
    string(REGEX REPLACE ".*\"([a-z0-9-]+)\"" "\\1" _velmora_name "${_velmora_line}")
    list(APPEND VELMORA_PICTURES "${_velmora_name}")
endforeach()
string(REGEX MATCH "std::array<Picture, ([0-9]+)> all" _velmora_found "${_velmora_text}")
list(LENGTH VELMORA_PICTURES _velmora_count)
if(NOT _velmora_count EQUAL "${CMAKE_MATCH_1}")
    message(FATAL_ERROR "${_velmora_pictures_h}: read ${_velmora_count} pictures "
                        "(${VELMORA_PICTURES}), the list all has ${CMAKE_MATCH_1}")
endif()

foreach(_velmora_list IN ITEMS iconSizes windowIconSizes)
    string(REGEX MATCH "std::array<int, ([0-9]+)> ${_velmora_list}{([0-9, ]+)}" _velmora_found
           "${_velmora_text}")
    set(_velmora_expected "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "[ ]*,[ ]*" ";" _velmora_sizes "${CMAKE_MATCH_2}")
    list(LENGTH _velmora_sizes _velmora_count)
    if(NOT _velmora_expected OR NOT _velmora_count EQUAL _velmora_expected)
        message(FATAL_ERROR "${_velmora_pictures_h}: cannot read ${_velmora_list}")
    endif()
    if(_velmora_list STREQUAL "iconSizes")
        set(VELMORA_ICON_SIZES ${_velmora_sizes})
    else()
        set(VELMORA_WINDOW_ICON_SIZES ${_velmora_sizes})
    endif()
endforeach()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${VELMORA_PICTURES} ${VELMORA_ICON_SIZES}")
endif()
