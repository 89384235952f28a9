# SPDX-License-Identifier: MIT
# Builds a Windows Installer package, run in the folder of the files the package holds, as wixl
# finds them by relative names:
#   cmake -DWIXL=wixl -DMSIBUILD=msibuild -DPYTHON=python3 -DWXS=<.wxs> -DOUTPUT=<.msi>
#         -DFILE_VERSION=<the program's version> -DSUBJECT=... -DAUTHOR=... -DEPOCH=<seconds>
#         -DNAMESPACE=<upgrade code>
#         [-DSIGN=<sign.sh> -DSIGN_DESCRIPTION=... -DSIGN_URL=...] -P wixl.cmake
# Then it gives the package what wixl cannot: the program's file version, a package code and
# dates that depend only on what is packaged, and, with SIGN, an Authenticode signature.
file(GLOB files LIST_DIRECTORIES false "*")
list(SORT files)
# The size, for the Apps & features entry, in KiB.
set(bytes 0)
# The package code names one package: the same for the same files, a new one when any changes.
set(contents "")
foreach(file IN LISTS files WXS)
    file(SIZE "${file}" size)
    math(EXPR bytes "${bytes} + ${size}")
    file(SHA256 "${file}" hash)
    string(APPEND contents "${hash}")
endforeach()
file(SIZE "${WXS}" size)
math(EXPR bytes "${bytes} - ${size}")
math(EXPR kib "(${bytes} + 1023) / 1024")
string(UUID package_code NAMESPACE ${NAMESPACE} NAME "${contents}"
       TYPE SHA1 UPPER)

# The cabinet holds the files' times as local times: the same wherever the package is built.
set(ENV{TZ} UTC)
execute_process(COMMAND "${WIXL}" -D EstimatedSize=${kib} -o "${OUTPUT}" "${WXS}"
                COMMAND_ERROR_IS_FATAL ANY)
# Without a version the program is an unversioned file to Windows Installer. wixl reads none.
execute_process(COMMAND "${MSIBUILD}" "${OUTPUT}" -q
    "UPDATE `File` SET `Version` = '${FILE_VERSION}', `Language` = '1033' WHERE `File` = 'Program'"
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${MSIBUILD}" "${OUTPUT}" -s "${SUBJECT}" "${AUTHOR}" "Intel;1033"
                        "{${package_code}}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/msi_dates.py" "${OUTPUT}" "${EPOCH}"
                COMMAND_ERROR_IS_FATAL ANY)
if(SIGN)
    execute_process(COMMAND "${SIGN}" "${OUTPUT}" "${SIGN_DESCRIPTION}" "${SIGN_URL}"
                    COMMAND_ERROR_IS_FATAL ANY)
endif()
