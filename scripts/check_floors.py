#!/usr/bin/env python3
"""Checks that every include of the program's sources runs down the floors (docs/architecture.md).

Each folder may include its own headers and those of the floors below it, nothing above: a
unit type does not reach into the frame, the application does not reach into the runtime. The
most specific folder decides; an include without a folder (a generated header) is free.
Prints one line per include against the floors and exits 1 when there is any.
Usage: scripts/check_floors.py [repository root]
"""
import pathlib
import re
import sys

BASE = ["base/"]
FORMS = BASE + ["forms/"]
LIBRARY_COMMANDS = BASE + ["library_commands/"]
DRAW = FORMS + ["runtime/draw/"]
UNITS = FORMS + LIBRARY_COMMANDS + ["runtime/draw/", "runtime/units/", "runtime/library.h"]
FRAME = FORMS + LIBRARY_COMMANDS + ["runtime/"]
CORE_COMMANDS = FORMS + LIBRARY_COMMANDS + ["commands/", "runtime/library.h",
                                            "runtime/command_host.h"]
APP = FORMS + LIBRARY_COMMANDS + ["commands/", "app/", "skin/skin_blocks.h"]

# (folder, what it may include), the most specific folder first.
FLOORS = [
    ("base/", BASE),
    ("forms/", FORMS),
    ("library_commands/", LIBRARY_COMMANDS),
    ("runtime/draw/", DRAW),
    ("runtime/units/", UNITS),
    ("runtime/", FRAME),
    ("commands/", CORE_COMMANDS),
    ("app/", APP),
    ("skin/", BASE + ["skin/"]),
    ("tools/", FORMS + ["tools/"]),
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def floor_of(path):
    for folder, allowed in FLOORS:
        if path.startswith(folder):
            return folder, allowed
    return None, None


def check(root):
    faults = []
    tops = sorted({folder.split("/")[0] for folder, _ in FLOORS})
    files = [f for top in tops if (root / top).is_dir() for f in (root / top).rglob("*")]
    for file in sorted(files):
        if file.suffix not in (".h", ".cpp", ".c", ".rc") or not file.is_file():
            continue
        rel = file.relative_to(root).as_posix()
        folder, allowed = floor_of(rel)
        if folder is None:
            continue
        for number, line in enumerate(file.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m or "/" not in m.group(1):
                continue
            target = m.group(1)
            if not any(target == a or (a.endswith("/") and target.startswith(a)) for a in allowed):
                faults.append(f"{rel}:{number}: {folder} may not include \"{target}\"")
    return faults


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    faults = check(root.resolve())
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
