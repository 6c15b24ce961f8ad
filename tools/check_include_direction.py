#!/usr/bin/env python3
"""The rooms of the source tree include only downwards.

    python3 tools/check_include_direction.py [SOURCE_DIR]

Every #include "ROOM/..." of a room's sources must name the room itself or one that the
room stands on (ROOMS below). Prints each include that points elsewhere and exits with 1 when
there is one, with 0 otherwise. tests/, bench/ and tools/ may include any room.
"""
import pathlib
import re
import sys

# Each room and the rooms it may include, from the bottom up. limits/ holds only the
# program's limits, which every room may use.
ROOMS = {
    "limits": [],
    "system": ["limits"],
    "recordio": ["system", "limits"],
    "distributions": ["limits"],
    "analysis": ["distributions", "recordio", "limits"],
    "measures": ["analysis", "distributions", "limits"],
    "driver": ["analysis", "distributions", "recordio", "system", "limits"],
    "exchange": ["driver", "measures", "analysis", "distributions", "recordio", "system", "limits"],
    "exchange/input": ["exchange", "driver", "measures", "analysis", "distributions", "recordio", "system", "limits"],
    "exchange/output": ["exchange", "driver", "measures", "analysis", "distributions", "recordio", "system",
                        "limits"],
}
# The front doors stand on everything below them and on none of each other.
BELOW_FRONT_DOORS = ["exchange/input", "exchange/output", "exchange", "driver", "measures", "analysis",
                     "distributions", "recordio", "system", "limits"]
for door in ("app", "r", "web"):
    ROOMS[door] = BELOW_FRONT_DOORS
FREE = {"tests", "bench", "tools"}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCES = {".h", ".hpp", ".cpp", ".cc"}


def room_of(relative):
    """The innermost room a path of the tree belongs to, or None."""
    parts = relative.split("/")
    for length in range(len(parts) - 1, 0, -1):
        candidate = "/".join(parts[:length])
        if candidate in ROOMS or candidate in FREE:
            return candidate
    return None


def main():
    top = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    wrong = []
    checked = 0
    for path in sorted(top.rglob("*")):
        if path.suffix not in SOURCES or not path.is_file():
            continue
        relative = path.relative_to(top).as_posix()
        if relative.startswith("build") or "/build" in relative:
            continue
        room = room_of(relative)
        if room is None or room in FREE:
            continue
        checked += 1
        for included in INCLUDE.findall(path.read_text(errors="replace")):
            target = room_of(included)
            if target is None or target == room:
                continue
            if target not in ROOMS[room]:
                wrong.append(f"{relative}: includes {included}: {room}/ may include only "
                             f"{', '.join(r + '/' for r in [room] + ROOMS[room])}")
    for line in wrong:
        print(line)
    print(f"{checked} sources checked, {len(wrong)} includes pointing the wrong way")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
