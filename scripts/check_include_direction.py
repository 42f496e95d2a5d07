#!/usr/bin/env python3
"""Checks that the folders under src/ include each other in one direction.

Every folder holding sources is a node (libedit/, libedit/gui/ and
libedit/forms/ are three); the two model folders build one library and
count as one. A file's `#include "x/y.h"` naming a file of the tree is an
arrow from its folder to the header's. The check fails, naming both ways'
files, when two folders have arrows both ways.

    check_include_direction.py [SRC_DIR]     (default: the project's src/)
"""
import os
import re
import sys
from collections import defaultdict

# Folders that build one library and may call each other both ways.
ONE_LIBRARY = {"model/items": "model", "model/documents": "model"}
SOURCE = re.compile(r"\.(h|hpp|c|cpp|l|y)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(src, path):
    folder = os.path.relpath(os.path.dirname(path), src).replace(os.sep, "/")
    return ONE_LIBRARY.get(folder, folder)


def arrows(src):
    found = defaultdict(list)  # (from, to) -> ["file -> header", ...]
    for directory, _, files in os.walk(src):
        for name in sorted(files):
            if not SOURCE.search(name):
                continue
            path = os.path.join(directory, name)
            here = folder_of(src, path)
            with open(path, encoding="utf-8", errors="replace") as f:
                for line in f:
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    header = os.path.join(src, m.group(1))
                    if not os.path.isfile(header):
                        continue  # a system, generated or third-party header
                    there = folder_of(src, header)
                    if there != here:
                        rel = os.path.relpath(path, src).replace(os.sep, "/")
                        found[(here, there)].append(f"{rel} -> {m.group(1)}")
    return found


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src")
    if not os.path.isdir(src):
        print(f"no source folder {src}", file=sys.stderr)
        return 2
    found = arrows(src)
    both = sorted((a, b) for (a, b) in found if a < b and (b, a) in found)
    for a, b in both:
        print(f"{a} and {b} include each other:")
        for side in ((a, b), (b, a)):
            for use in found[side]:
                print(f"  {use}")
    if both:
        print(f"{len(both)} pair(s) of folders include each other both ways")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
