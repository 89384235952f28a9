#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the built .exe as Windows loads it: a 32-bit GUI program with the 13-image program icon
as its first icon group, the version record, the manifest (with the Windows versions it supports)
and the pictures. Its imports are check_imports.py's.

Usage: check_exe.py PROGRAM.exe
"""
import struct
import sys

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 10, 14, 16, 24
# (size, bits per pixel), in the order of the icon group.
ICON_IMAGES = [(48, 4), (32, 4), (24, 4), (16, 4), (48, 8), (32, 8), (24, 8), (16, 8),
               (128, 32), (48, 32), (32, 32), (24, 32), (16, 32)]
PICTURES = 11  # five pictures at 1x and 2x, and the font
# The manifest's supportedOS ids of the Windows versions the program runs on, 7 SP1 to 11.
SUPPORTED_OS = {"7": "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                "8": "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                "8.1": "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                "10 and 11": "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def resources(data):
    """{type: [(name, payload)]} from the .rsrc section, first language of each name."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    machine, count = struct.unpack_from("<HH", data, pe + 4)
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    magic, = struct.unpack_from("<H", data, pe + 24)
    subsystem, = struct.unpack_from("<H", data, pe + 24 + 68)
    check(machine == 0x14C and magic == 0x10B, f"not PE32 for i386: {machine:#x} {magic:#x}")
    check(subsystem == 2, f"subsystem {subsystem}, not the GUI (2)")
    for index in range(count):
        header = pe + 24 + optional_size + 40 * index
        if data[header:header + 8].rstrip(b"\0") == b".rsrc":
            address, _, offset = struct.unpack_from("<III", data, header + 12)
            break
    else:
        failures.append("no .rsrc section")
        return {}

    def entries(at):
        named, numbered = struct.unpack_from("<HH", data, offset + at + 12)
        return [struct.unpack_from("<II", data, offset + at + 16 + 8 * i)
                for i in range(named + numbered)]

    def name_of(key):
        if not key & 0x80000000:
            return key
        at = offset + (key & 0x7FFFFFFF)
        length, = struct.unpack_from("<H", data, at)
        return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")

    found = {}
    for kind, names in entries(0):
        for name, languages in entries(names & 0x7FFFFFFF):
            leaf = entries(languages & 0x7FFFFFFF)[0][1]
            rva, size = struct.unpack_from("<II", data, offset + leaf)
            payload = data[offset + rva - address:offset + rva - address + size]
            found.setdefault(kind, []).append((name_of(name), payload))
    return found


def main(program):
    data = open(program, "rb").read()
    found = resources(data)

    groups = found.get(RT_GROUP_ICON, [])
    check(len(groups) >= 1, "no icon group")
    if groups:
        group = groups[0][1]
        count, = struct.unpack_from("<H", group, 4)
        images = [(group[6 + 14 * i] or 256, struct.unpack_from("<H", group, 6 + 14 * i + 6)[0])
                  for i in range(count)]
        check(images == ICON_IMAGES, f"first icon group holds {images}")

    versions = found.get(RT_VERSION, [])
    check(len(versions) == 1, "no version record")
    if versions:
        record = versions[0][1]
        signature, _, ms, ls = struct.unpack_from("<IIII", record, 40)
        check(signature == 0xFEEF04BD, "no fixed file info")
        check((ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) == (1, 0, 0, 5),
              f"file version {ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
        text = record.decode("utf-16-le", errors="replace")
        for expected in ("1.00.0005", "Velmora Temperature Converter.exe"):
            check(expected in text, f"version record lacks {expected!r}")

    manifests = found.get(RT_MANIFEST, [])
    check([name for name, _ in manifests] == [1], "no manifest with id 1")
    if manifests:
        manifest = manifests[0][1].decode("utf-8")
        for expected in ("Microsoft.Windows.Common-Controls", "PerMonitorV2"):
            check(expected in manifest, f"manifest lacks {expected}")
        for windows, guid in SUPPORTED_OS.items():
            check(f'<supportedOS Id="{{{guid}}}"/>' in manifest,
                  f"manifest lacks the supportedOS id of Windows {windows}")
    pictures = found.get(RT_RCDATA, [])
    check(len(pictures) == PICTURES and all(p for _, p in pictures),
          f"{len(pictures)} pictures and fonts, not {PICTURES}")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
