#!/usr/bin/env python3
"""Checks that the folders under src/ include each other in one direction.

Every folder holding sources is a node (libedit/, libedit/gui/ and
libedit/forms/ are three); the two model folders build one library and
count as one. A file's include naming a file of the tree is an arrow from
its folder to the header's, resolved as the compiler resolves it: a quoted
name beside the including file first, then under src/ (so "../x/y.h" is
seen), a name in angle brackets under src/. The check fails, naming the
files, when

  - a folder stands on no floor of the table "The floors" in
    docs/ARCHITECTURE.md (each floor includes only the floors below it);
  - a folder includes a folder on a floor above its own;
  - folders include each other round, two or more of them (a cycle within
    one floor).

    check_include_direction.py [SRC_DIR [ARCHITECTURE_MD]]
        (default: the project's src/ and docs/ARCHITECTURE.md)
"""
import os
import re
import sys
from collections import defaultdict

# Folders that build one library and may call each other both ways.
ONE_LIBRARY = {"model/items": "model", "model/documents": "model"}
SOURCE = re.compile(r"\.(h|hpp|c|cpp|l|y)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def folder_of(src, path):
    folder = os.path.relpath(os.path.dirname(path), src).replace(os.sep, "/")
    return ONE_LIBRARY.get(folder, folder)


def floors(architecture):
    """The floor of each folder, 0 the lowest, from the table of the section
    "The floors": its second column names the folders in backticks."""
    found = {}
    with open(architecture, encoding="utf-8") as f:
        lines = f.read().splitlines()
    try:
        start = next(i for i, line in enumerate(lines) if line.strip() == "### The floors")
    except StopIteration:
        return found
    rows = []
    for line in lines[start + 1:]:
        if line.startswith("#"):
            break
        if line.startswith("|"):
            rows.append([cell.strip() for cell in line.strip().strip("|").split("|")])
    for level, cells in enumerate(rows[2:]):  # the heading and its rule first
        for folder in re.findall(r"`([^`]+)`", cells[1] if len(cells) > 1 else ""):
            found[folder] = level
    return found


def resolve(src, path, bracket, name):
    """The file of the tree an include names, or None (a system, generated
    or third-party header)."""
    candidates = [os.path.join(src, name)]
    if bracket == '"':
        candidates.insert(0, os.path.join(os.path.dirname(path), name))
    root = os.path.realpath(src)
    for candidate in candidates:
        real = os.path.realpath(candidate)
        if os.path.isfile(real) and real.startswith(root + os.sep):
            return real
    return None


def arrows(src):
    """(from, to) -> ["file -> header", ...], and every folder with sources."""
    found = defaultdict(list)
    folders = set()
    root = os.path.realpath(src)
    for directory, _, files in os.walk(src):
        for name in sorted(files):
            if not SOURCE.search(name):
                continue
            path = os.path.join(directory, name)
            here = folder_of(src, path)
            folders.add(here)
            with open(path, encoding="utf-8", errors="replace") as f:
                for line in f:
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    header = resolve(src, path, m.group(1), m.group(2))
                    if not header:
                        continue
                    there = folder_of(root, header)
                    if there != here:
                        rel = os.path.relpath(path, src).replace(os.sep, "/")
                        found[(here, there)].append(f"{rel} -> {m.group(2)}")
    return found, folders


def cycles(nodes, found):
    """The groups of two or more folders that reach each other (Tarjan)."""
    edges = defaultdict(list)
    for a, b in found:
        edges[a].append(b)
    index, low, on_stack, stack, groups = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(edges[node]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(nodes):
        if node not in index:
            visit(node)
    return groups


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src")
    architecture = (sys.argv[2] if len(sys.argv) > 2 else
                    os.path.join(here, "..", "docs", "ARCHITECTURE.md"))
    if not os.path.isdir(src):
        print(f"no source folder {src}", file=sys.stderr)
        return 2
    floor = floors(architecture)
    if not floor:
        print(f"{architecture} has no table \"The floors\"", file=sys.stderr)
        return 2
    found, folders = arrows(src)
    failed = False
    # The files directly under src/ (a placeholder the build links) stand
    # on no floor: they may include nothing of the tree.
    touching = {a for a, _ in found} | {b for _, b in found}
    for folder in sorted(folders | touching):
        if folder not in floor and (folder != "." or folder in touching):
            print(f"{folder} stands on no floor of \"The floors\" in {architecture}")
            failed = True
    for (a, b), uses in sorted(found.items()):
        if a in floor and b in floor and floor[b] > floor[a]:
            print(f"{a} includes {b}, a floor above it:")
            for use in uses:
                print(f"  {use}")
            failed = True
    groups = cycles(folders | touching, found)
    for group in groups:
        print(f"{', '.join(group)} include each other round:")
        for (a, b), uses in sorted(found.items()):
            if a in group and b in group:
                for use in uses:
                    print(f"  {use}")
    if groups:
        print(f"{len(groups)} group(s) of folders include each other round")
    return 1 if failed or groups else 0


if __name__ == "__main__":
    sys.exit(main())
