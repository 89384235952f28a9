# SPDX-License-Identifier: MIT
# Installs the build into an empty prefix and checks that exactly the listed files arrive, and that
# the desktop entry, the metainfo, the program and the icons refer to one another by the same names.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED=... -DBINDIR=... -DDATADIR=... [-DREADELF=...]
#        -P this
cmake_minimum_required(VERSION 3.25)
foreach(variable BUILD_DIR PREFIX EXPECTED BINDIR DATADIR)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} not given")
    endif()
endforeach()

set(problems "")
macro(problem text)
    string(APPEND problems "  ${text}\n")
endmacro()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
file(STRINGS "${EXPECTED}" expected REGEX "^[^#]")
list(SORT installed)
list(SORT expected)
foreach(path IN LISTS expected)
    if(NOT path IN_LIST installed)
        problem("missing: ${path}")
    endif()
endforeach()
foreach(path IN LISTS installed)
    if(NOT path IN_LIST expected)
        problem("not expected: ${path}")
    endif()
endforeach()

# The names that tie the files together.
file(GLOB desktop_files "${PREFIX}/${DATADIR}/applications/*.desktop")
file(GLOB metainfo_files "${PREFIX}/${DATADIR}/metainfo/*.metainfo.xml")
list(LENGTH desktop_files desktop_count)
list(LENGTH metainfo_files metainfo_count)
if(desktop_count EQUAL 1 AND metainfo_count EQUAL 1)
    get_filename_component(desktop_id "${desktop_files}" NAME)
    string(REGEX REPLACE "\\.desktop$" "" app_id "${desktop_id}")
    file(STRINGS "${desktop_files}" exec_line REGEX "^Exec=")
    file(STRINGS "${desktop_files}" icon_line REGEX "^Icon=")
    string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec_line}")
    string(REGEX REPLACE "^Icon=" "" icon "${icon_line}")
    if(NOT EXISTS "${PREFIX}/${BINDIR}/${exec}")
        problem("the desktop entry starts '${exec}', which is not in ${BINDIR}/")
    endif()
    file(GLOB icons "${PREFIX}/${DATADIR}/icons/hicolor/*/apps/${icon}.png")
    list(LENGTH icons icon_count)
    if(icon_count EQUAL 0)
        problem("no hicolor icon is named '${icon}', the desktop entry's icon")
    endif()

    file(READ "${metainfo_files}" metainfo)
    get_filename_component(metainfo_name "${metainfo_files}" NAME)
    foreach(wanted
            "<id>${app_id}</id>"
            "<launchable type=\"desktop-id\">${desktop_id}</launchable>"
            "<binary>${exec}</binary>"
            "<icon type=\"stock\">${icon}</icon>")
        string(FIND "${metainfo}" "${wanted}" at)
        if(at EQUAL -1)
            problem("${metainfo_name} lacks ${wanted}")
        endif()
    endforeach()
    if(NOT metainfo_name STREQUAL "${app_id}.metainfo.xml")
        problem("metainfo ${metainfo_name} is not named after the desktop entry ${desktop_id}")
    endif()
else()
    problem("expected one desktop entry and one metainfo file, found ${desktop_count} and ${metainfo_count}")
endif()

# The installed program is hardened (bound at start, read-only relocations) and carries no
# compiler version notes; READELF is given only where the program is ELF.
if(READELF AND exec AND EXISTS "${PREFIX}/${BINDIR}/${exec}")
    set(program "${PREFIX}/${BINDIR}/${exec}")
    execute_process(COMMAND "${READELF}" --wide --sections --dynamic --program-headers "${program}"
        RESULT_VARIABLE result OUTPUT_VARIABLE elf ERROR_VARIABLE elf)
    if(NOT result EQUAL 0)
        problem("readelf failed on ${program}: ${elf}")
    endif()
    foreach(wanted "GNU_RELRO" "FLAGS_1.*NOW")
        if(NOT elf MATCHES "${wanted}")
            problem("${BINDIR}/${exec} lacks ${wanted}")
        endif()
    endforeach()
    if(elf MATCHES "\\] \\.comment ")
        problem("${BINDIR}/${exec} still has a .comment section")
    endif()
endif()

if(problems)
    message(FATAL_ERROR "Install into ${PREFIX}:\n${problems}")
endif()
list(LENGTH installed count)
message(STATUS "Install into ${PREFIX}: the ${count} expected files, consistently named")
