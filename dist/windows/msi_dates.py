#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Sets the dates in a Windows Installer package's summary information (created, last saved and
last printed) to one time, so that two builds of the same sources give the same bytes; wixl
writes the time it ran. Usage: msi_dates.py PACKAGE.msi SECONDS_SINCE_1970

The summary stream is read with msiinfo and patched in place: a stream this small lives in the
compound file's 64-byte mini sectors, each of them whole in the file, so each mini sector that
holds a date is found by its bytes and rewritten.
"""

import struct
import subprocess
import sys

FILETIME = 0x40
MINI_SECTOR = 64
MINI_STREAM_LIMIT = 4096
# From 1601-01-01, the start of a FILETIME, to 1970-01-01, in seconds.
EPOCH_OFFSET = 11644473600


def with_dates(stream, filetime):
    """The property set with every FILETIME property set to filetime."""
    patched = bytearray(stream)
    section = struct.unpack_from("<I", stream, 44)[0]
    count = struct.unpack_from("<I", stream, section + 4)[0]
    for index in range(count):
        _, offset = struct.unpack_from("<II", stream, section + 8 + 8 * index)
        if struct.unpack_from("<I", stream, section + offset)[0] == FILETIME:
            struct.pack_into("<Q", patched, section + offset + 4, filetime)
    return bytes(patched)


def main():
    package, seconds = sys.argv[1], int(sys.argv[2])
    stream = subprocess.run(["msiinfo", "extract", package, "\x05SummaryInformation"],
                            capture_output=True, check=True).stdout
    if len(stream) >= MINI_STREAM_LIMIT:
        sys.exit(f"{package}: summary information of {len(stream)} bytes is not in mini sectors")
    patched = with_dates(stream, (seconds + EPOCH_OFFSET) * 10**7)
    with open(package, "rb") as file:
        data = bytearray(file.read())
    for start in range(0, len(stream), MINI_SECTOR):
        old, new = stream[start:start + MINI_SECTOR], patched[start:start + MINI_SECTOR]
        if old == new:
            continue
        at = data.find(old)
        if at < 0 or data.find(old, at + 1) >= 0:
            sys.exit(f"{package}: summary bytes at {start} not found exactly once")
        data[at:at + len(new)] = new
    with open(package, "wb") as file:
        file.write(data)
    check = subprocess.run(["msiinfo", "extract", package, "\x05SummaryInformation"],
                           capture_output=True, check=True).stdout
    if check != patched:
        sys.exit(f"{package}: the summary information did not take the new dates")


if __name__ == "__main__":
    main()
