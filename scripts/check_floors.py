#!/usr/bin/env python3
"""Checks that every include of the program's sources runs down the floors (docs/architecture.md).

Each folder may include its own headers and those of the floors below it, nothing above: a
unit type does not reach into the frame, the application does not reach into the runtime. The
most specific folder decides; an include without a folder (a generated header) is free.

Within a folder, the rooms (a header and its source, by file stem) include each other without a
loop: a room that includes another never is included back, however long the way round.

The doors: of the frame, a unit type includes runtime/library.h alone (the interface both sides
share, which includes nothing of runtime/), and asks the frame through runtime/units/unit_host.h
only; the notify function's codes (runtime/notify.h), kept for outside libraries, are reached by
the frame's initialisation and their own source alone.

Prints one line per fault and exits 1 when there is any.
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

# Headers that only the listed sources may include (tests aside).
FENCED = {
    "runtime/notify.h": ["runtime/notify.cpp", "runtime/initialisation.cpp"],
}
# Headers that include nothing of the listed folders.
SEALED = {
    "runtime/library.h": "runtime/",
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def floor_of(path):
    for folder, allowed in FLOORS:
        if path.startswith(folder):
            return folder, allowed
    return None, None


def includes(root):
    """(source, line number, included path) of every include with a folder, in the floors."""
    tops = sorted({folder.split("/")[0] for folder, _ in FLOORS})
    files = [f for top in tops if (root / top).is_dir() for f in (root / top).rglob("*")]
    for file in sorted(files):
        if file.suffix not in (".h", ".cpp", ".c", ".rc") or not file.is_file():
            continue
        rel = file.relative_to(root).as_posix()
        for number, line in enumerate(file.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            m = INCLUDE.match(line)
            if m and "/" in m.group(1):
                yield rel, number, m.group(1)


def room(path):
    """(folder, stem) of a source: a header and its source are one room."""
    folder, _, name = path.rpartition("/")
    return folder, name.rsplit(".", 1)[0]


def cycles(edges):
    """The loops among the rooms: one list of rooms per strongly connected set of two or more."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):  # Tarjan's algorithm; the graphs are small enough for recursion
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def check(root):
    faults = []
    edges = {}
    for rel, number, target in includes(root):
        folder, allowed = floor_of(rel)
        if folder is None:
            continue
        if not any(target == a or (a.endswith("/") and target.startswith(a)) for a in allowed):
            faults.append(f"{rel}:{number}: {folder} may not include \"{target}\"")
        if target in FENCED and rel not in FENCED[target]:
            faults.append(f"{rel}:{number}: only {', '.join(FENCED[target])} may include \"{target}\"")
        if rel in SEALED and target.startswith(SEALED[rel]):
            faults.append(f"{rel}:{number}: {rel} includes nothing of {SEALED[rel]}")
        source, target_room = room(rel), room(target)
        if source[0] == target_room[0] and source != target_room:
            edges.setdefault(source, set()).add(target_room)
    for group in cycles(edges):
        names = ", ".join(f"{folder}/{stem}" for folder, stem in group)
        faults.append(f"include cycle among {names}")
    return faults


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    faults = check(root.resolve())
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
