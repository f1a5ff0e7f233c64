#!/usr/bin/env python3
"""Checks that every #include of the program points down its layers:
geometry/, base/ -> platform/ -> report/ -> picture/ -> widgets/, svg/, pdf/
-> gui/ -> app/. A folder may include only folders of a lower layer. Prints
each include that does not and exits with 1 when there is one."""
import os
import re
import sys

LAYERS = [["geometry", "base"], ["platform"], ["report"], ["picture"], ["widgets", "svg", "pdf"], ["gui"], ["app"]]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'\s*#\s*include\s+"([a-z_]+)/')


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    wrong = 0
    for folder, rank in RANK.items():
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".cpp", ".hpp")):
                continue
            with open(os.path.join(path, name), encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    target = match.group(1) if match else None
                    if target in RANK and target != folder and RANK[target] >= rank:
                        print(f"{folder}/{name}:{number}: includes {target}/, which is not below {folder}/")
                        wrong += 1
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
