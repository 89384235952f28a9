# SPDX-License-Identifier: MIT
# Debian's build flags (dpkg-buildflags), as Debian builds its own packages: the stack protector,
# _FORTIFY_SOURCE, format checks, relocations read-only and bound at start, and source paths
# recorded relative to the source folder, so that two builds of one commit in different folders
# make the same bytes. Taken from dpkg-buildflags at configure time, with every hardening feature
# on.
find_program(VELMORA_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VELMORA_DPKG_BUILDFLAGS)
    message(WARNING "dpkg-buildflags not found (Debian package dpkg-dev): Debian's build flags "
                    "are not used")
    return()
endif()

function(_velmora_dpkg_buildflag out name)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                "${VELMORA_DPKG_BUILDFLAGS}" --get ${name}
        # The source folder is the one the flags map to "." in the debug information.
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(${out} ${flags} PARENT_SCOPE)
endfunction()

_velmora_dpkg_buildflag(cppflags CPPFLAGS)
_velmora_dpkg_buildflag(cxxflags CXXFLAGS)
_velmora_dpkg_buildflag(ldflags LDFLAGS)
# The build type already chooses the optimisation and debug information.
list(FILTER cxxflags EXCLUDE REGEX "^-(O[0-9s]?|g)$")
# Large stack frames probed against stack clashes, as Debian does from its next release (13).
list(APPEND cxxflags -fstack-clash-protection)
add_compile_options(${cppflags} ${cxxflags})
add_link_options(${ldflags})
