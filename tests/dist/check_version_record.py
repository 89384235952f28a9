# SPDX-License-Identifier: MIT
"""Compiles the Windows resource script with the MinGW resource compiler into the COFF object a
Windows build links, and checks the version record and the icon in that object's resource section
as Windows would read them from the executable.

Usage: check_version_record.py WINDRES CPP SCRIPT.rc PROJECT_VERSION
"""
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
EN_US = 0x0409
UNICODE_CODE_PAGE = 1200
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD
VFT_APP = 1
IMAGE_FILE_MACHINE_I386 = 0x014C

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def align4(offset):
    return (offset + 3) & ~3


def read_key(data, offset):
    """A NUL-terminated UTF-16 string and the offset after its NUL."""
    end = offset
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def read_rsrc(obj):
    """The resources of a COFF object as (type, name, language, payload), walking the .rsrc
    section's three-level directory (type, name, language) as the linker copies it."""
    machine, section_count = struct.unpack_from("<HH", obj, 0)
    check(machine == IMAGE_FILE_MACHINE_I386, f"object is not an i386 COFF object: {machine:#x}")
    (optional_size,) = struct.unpack_from("<H", obj, 16)
    sections = {}
    for index in range(section_count):
        header = 20 + optional_size + 40 * index
        name = obj[header : header + 8].rstrip(b"\0").decode()
        size, pointer = struct.unpack_from("<II", obj, header + 16)
        sections[name] = obj[pointer : pointer + size]
    rsrc = sections.get(".rsrc", b"")
    check(rsrc, "object has no .rsrc section")

    def entry_id(value):
        if value & 0x80000000:  # a name: counted UTF-16 string
            offset = value & 0x7FFFFFFF
            (length,) = struct.unpack_from("<H", rsrc, offset)
            return rsrc[offset + 2 : offset + 2 + 2 * length].decode("utf-16-le")
        return value

    def directory(offset):
        named, numbered = struct.unpack_from("<HH", rsrc, offset + 12)
        for index in range(named + numbered):
            ident, target = struct.unpack_from("<II", rsrc, offset + 16 + 8 * index)
            yield entry_id(ident), target

    entries = []
    for kind, types in directory(0):
        for name, names in directory(types & 0x7FFFFFFF):
            for language, leaf in directory(names & 0x7FFFFFFF):
                # In an object the data address is relative to the section; the linker relocates it.
                address, size = struct.unpack_from("<II", rsrc, leaf)
                entries.append((kind, name, language, rsrc[address : address + size]))
    return entries


def read_block(data, offset):
    """One node of the version tree: (key, value, children, end offset). Text values (type 1) are
    decoded; their length counts UTF-16 units including the terminating NUL."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key, after = read_key(data, offset + 6)
    after = align4(after)
    if value_type == 1:
        raw = data[after : after + 2 * value_length]
        if value_length:
            check(raw.endswith(b"\0\0"), f"value of {key!r}: its length leaves out the NUL")
        value = raw.decode("utf-16-le").rstrip("\0")
        after += 2 * value_length
    else:
        value = data[after : after + value_length]
        after += value_length
    children = []
    child = align4(after)
    while child < end:
        node = read_block(data, child)
        children.append(node)
        child = align4(node[3])
    return key, value, children, end


def compile_script(windres, cpp, script, work):
    obj = work / "velmora.o"
    subprocess.run([windres, f"--preprocessor={cpp}", "-O", "coff", "-i", script, "-o", obj],
                   check=True)
    return obj.read_bytes()


def check_icon(entries):
    icons = [e for e in entries if e[0] == RT_ICON]
    groups = [e for e in entries if e[0] == RT_GROUP_ICON]
    check(len(icons) == 13, f"expected 13 icon images, found {len(icons)}")
    check([g[1] for g in groups] == ["IDI_ICON1"], f"icon groups: {[g[1] for g in groups]}")
    if groups:
        _reserved, kind, count = struct.unpack_from("<HHH", groups[0][3], 0)
        check(kind == 1 and count == 13, f"icon group lists {count} images (type {kind})")
        # Each 14-byte directory entry ends with the id of its RT_ICON image.
        ids = {struct.unpack_from("<H", groups[0][3], 6 + 14 * i + 12)[0] for i in range(count)}
        check(ids == {e[1] for e in icons}, "icon group refers to images that are not there")


def check_version(entries, version):
    major, minor, patch, tweak = (list(map(int, version.split("."))) + [0, 0, 0])[:4]
    display = f"{major}.{minor:02d}.{tweak:04d}"
    records = [e for e in entries if e[0] == RT_VERSION]
    check(len(records) == 1, f"expected one version record, found {len(records)}")
    if not records:
        return
    _kind, name, language, payload = records[0]
    check(name == 1, f"version record is resource {name!r}, not 1 (VS_VERSION_INFO)")
    check(language == EN_US, f"version record language {language:#06x}")

    key, fixed, children, _end = read_block(payload, 0)
    check(key == "VS_VERSION_INFO", f"root key {key!r}")
    check(len(fixed) == 52, f"VS_FIXEDFILEINFO is {len(fixed)} bytes")
    if len(fixed) == 52:
        fields = struct.unpack("<13I", fixed)
        check(fields[0] == FIXED_FILE_INFO_SIGNATURE, f"signature {fields[0]:#x}")
        expected_ms, expected_ls = (major << 16) | minor, (patch << 16) | tweak
        check(fields[2:4] == (expected_ms, expected_ls),
              f"file version {fields[2]:#010x} {fields[3]:#010x}")
        check(fields[4:6] == (expected_ms, expected_ls),
              f"product version {fields[4]:#010x} {fields[5]:#010x}")
        check(fields[9] == VFT_APP, f"file type {fields[9]} is not an application")

    blocks = {child[0]: child for child in children}
    string_tables = blocks.get("StringFileInfo", (None, None, []))[2]
    check([t[0] for t in string_tables] == ["040904B0"],
          f"string tables {[t[0] for t in string_tables]}, expected only 040904B0")
    strings = {s[0]: s[1] for t in string_tables for s in t[2]}
    title = "Velmora Temperature Converter"
    expected = {
        "ProductName": title,
        "InternalName": title,
        "FileDescription": title,
        "OriginalFilename": title + ".exe",
        "FileVersion": display,
        "ProductVersion": display,
    }
    for field, value in expected.items():
        check(strings.get(field) == value, f"{field} is {strings.get(field)!r}, not {value!r}")

    variables = blocks.get("VarFileInfo", (None, None, []))[2]
    translation = [v[1] for v in variables if v[0] == "Translation"]
    check(translation == [struct.pack("<HH", EN_US, UNICODE_CODE_PAGE)],
          f"Translation {translation!r}, expected 0x409, 1200")


def main():
    windres, cpp, script, version = sys.argv[1:5]
    with tempfile.TemporaryDirectory() as work:
        entries = read_rsrc(compile_script(windres, cpp, script, Path(work)))
    check_icon(entries)
    check_version(entries, version)
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"version record and icon of {script} are as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
