#!/usr/bin/env python3
"""Checks the application manifest a program file carries.

Reads the manifest resource (type 24, id 1) out of the PE file's resource directory, parses it
as XML and checks what Windows reads from it: the program runs with the rights of whoever
starts it (no virtualised writes into protected folders), it names the Windows versions it
was made for, its DPI awareness is stated as per-monitor (v2 first) with system awareness
before Windows 10, and it asks for no common controls
version 6. Prints one line per fault and exits 1 when there is any.
Usage: scripts/check_manifest.py PROGRAM.exe
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
WS2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
WS2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


class PeError(Exception):
    pass


def u16(data, at):
    if at + 2 > len(data):
        raise PeError("cut short at %d" % at)
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    if at + 4 > len(data):
        raise PeError("cut short at %d" % at)
    return struct.unpack_from("<I", data, at)[0]


def manifest_bytes(data):
    """The bytes of resource 24/1 (its first language), or None when the file has none."""
    if data[:2] != b"MZ":
        raise PeError("no MZ header")
    pe = u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    sections, optional_size = u16(data, pe + 6), u16(data, pe + 20)
    optional = pe + 24
    magic = u16(data, optional)
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = u32(data, directories + 2 * 8)
    if resource_rva == 0:
        return None
    table = []
    for i in range(sections):
        at = optional + optional_size + 40 * i
        virtual_size, rva, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
        table.append((rva, max(virtual_size, raw_size), raw_at))

    def offset(rva):
        for start, size, raw_at in table:
            if start <= rva < start + size:
                return raw_at + rva - start
        raise PeError("address 0x%x in no section" % rva)

    root = offset(resource_rva)

    def entries(directory):
        count = u16(data, directory + 12) + u16(data, directory + 14)
        for i in range(count):
            name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            yield name, target

    def find(directory, wanted):
        for name, target in entries(directory):
            if not name & 0x80000000 and name == wanted and target & 0x80000000:
                return root + (target & 0x7FFFFFFF)
        return None

    types = find(root, RT_MANIFEST)
    names = find(types, 1) if types is not None else None
    if names is None:
        return None
    for _, target in entries(names):
        if target & 0x80000000:
            continue
        data_rva, size = u32(data, root + target), u32(data, root + target + 4)
        start = offset(data_rva)
        if start + size > len(data):
            raise PeError("manifest runs past the end of the file")
        return data[start:start + size]
    return None


def faults(xml_bytes):
    out = []
    try:
        assembly = ET.fromstring(xml_bytes)
    except ET.ParseError as e:
        return ["the manifest is no well-formed XML: %s" % e]
    if assembly.tag != "{%s}assembly" % ASM_V1 or assembly.get("manifestVersion") != "1.0":
        out.append("the root is not an assembly of manifest version 1.0")
    levels = assembly.findall("{%s}trustInfo/{%s}security/{%s}requestedPrivileges/"
                              "{%s}requestedExecutionLevel" % ((ASM_V3,) * 4))
    if [e.get("level") for e in levels] != ["asInvoker"]:
        out.append("the execution level is not asInvoker once: %s" % [e.get("level") for e in levels])
    elif levels[0].get("uiAccess", "false") != "false":
        out.append("uiAccess is asked for")
    ids = [e.get("Id", "").lower() for e in assembly.findall(
        "{%s}compatibility/{%s}application/{%s}supportedOS" % ((COMPAT,) * 3))]
    for guid, name in SUPPORTED_OS.items():
        if guid not in ids:
            out.append("%s is not among the supported systems" % name)
    if len(ids) != len(set(ids)) or set(ids) - set(SUPPORTED_OS):
        out.append("unexpected or repeated supported systems: %s" % ids)
    settings = "{%s}application/{%s}windowsSettings/" % (ASM_V3, ASM_V3)
    # Windows 7 and 8 read "true" (system aware) of "true/pm", 8.1 the "/pm" (per monitor);
    # Windows 10 takes the first of the listed awarenesses it knows.
    aware = assembly.findall(settings + "{%s}dpiAware" % WS2005)
    if [(e.text or "").strip().lower() for e in aware] != ["true/pm"]:
        out.append("dpiAware is not stated once as true/pm")
    awareness = assembly.findall(settings + "{%s}dpiAwareness" % WS2016)
    listed = [[part.strip().lower() for part in (e.text or "").split(",")] for e in awareness]
    if listed != [["permonitorv2", "permonitor"]]:
        out.append("dpiAwareness is not stated once as PerMonitorV2, PerMonitor")
    for identity in assembly.iter("{%s}assemblyIdentity" % ASM_V1):
        if identity.get("name", "").lower() == "microsoft.windows.common-controls":
            out.append("the manifest asks for a common controls version")
    return out


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1])
        return 2
    with open(argv[1], "rb") as f:
        data = f.read()
    try:
        xml_bytes = manifest_bytes(data)
    except PeError as e:
        print("%s: not a readable PE file: %s" % (argv[1], e))
        return 1
    if xml_bytes is None:
        print("%s: no manifest resource (type 24, id 1)" % argv[1])
        return 1
    problems = faults(xml_bytes)
    for p in problems:
        print("%s: %s" % (argv[1], p))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
