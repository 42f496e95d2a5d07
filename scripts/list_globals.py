#!/usr/bin/env python3
"""Lists the mutable globals of the program's code, read from the compiled
objects: every variable with static or thread storage that its code can
change, one per line as "<source file> <variable>", with the number of
fields it holds when it is a record of ours (a record of eleven fields is
eleven pieces of state, not one).

A global is an object symbol defined in a writable data section (.data,
.bss and their thread-local forms .tdata and .tbss; not .data.rel.ro,
which holds constants with relocations): a variable at namespace scope, a
static data member, a function-local static (listed as "function()::name")
or a thread_local. Left out are the compiler's own symbols (vtables, type
information, guard variables, the sanitizers' and coverage's "__" names),
the standard library's, and the variables whose type is const (a table in
a std::vector the compiler builds at start), as the debugging information
says. A source compiled twice counts once.

    scripts/list_globals.sh [BUILD_DIR]          the list (default: build)
    scripts/list_globals.sh --check [BUILD_DIR]  fails, naming them, when a
        variable has no line in the table "Globals that stay" of
        docs/ARCHITECTURE.md naming its source file and itself, each in
        backticks, with the reason it stays; or when a line names a
        variable the build does not define (the sanitizer build, whose
        record pool takes its blocks from malloc, defines fewer and is not
        held to that).
"""
import json
import os
import re
import shlex
import subprocess
import sys
from concurrent.futures import ProcessPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WRITABLE = re.compile(r"^\.(t?bss|t?data)")
SYMBOL = re.compile(r"^([0-9a-f]+) (.{7}) (\S+)\t([0-9a-f]+) (.*)$")
LEFT_OUT = re.compile(
    r"^(vtable for|VTT for|construction vtable|typeinfo|guard variable|std::|__|_GLOBAL__|"
    r"DW\.ref\.|\.)")
DIE = re.compile(r"^ <(\d+)><([0-9a-f]+)>: Abbrev Number: \d+ \((DW_TAG_\w+)\)")
ATTRIBUTES = ("DW_AT_name", "DW_AT_type", "DW_AT_specification", "DW_AT_abstract_origin",
              "DW_AT_declaration", "DW_AT_location")
REFERENCE = re.compile(r"<0x([0-9a-f]+)>")


def objects(build):
    """(object, source relative to src/) of the program's sources, as the
    build's compilation database names them: a file moved away leaves no
    stale object behind."""
    seen = []
    for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
        args = shlex.split(entry["command"]) if "command" in entry else entry["arguments"]
        out = args[args.index("-o") + 1]
        if not out.startswith("src/CMakeFiles/"):
            continue
        obj = os.path.join(entry["directory"], out)
        source = entry["file"]
        for base in (os.path.join(ROOT, "src"), os.path.join(build, "src")):
            if source.startswith(base + "/"):
                source = source[len(base) + 1:]
                break
        if os.path.exists(obj) and (obj, source) not in seen:
            seen.append((obj, source))
    return sorted(seen, key=lambda pair: pair[1])


def plain(name):
    """A demangled name as the table writes it: no "(anonymous namespace)::",
    no ABI tags, a function's parameters and qualifiers dropped
    ("chunks()::all")."""
    name = name.replace("(anonymous namespace)::", "")
    name = re.sub(r"\[abi:\w+\]", "", name)
    out, depth = [], 0
    for ch in name:
        if ch == "(":
            if depth == 0:
                out.append("()")
            depth += 1
        elif ch == ")":
            depth -= 1
        elif depth == 0:
            out.append(ch)
    return re.sub(r"\(\) const::", "()::", "".join(out))


class Dwarf:
    """The debugging entries of one object that say what a variable is:
    each entry's tag, parent and the few attributes read here."""

    def __init__(self, obj):
        self.entries = {}
        self.children = {}
        self.named = {}
        text = subprocess.run(["readelf", "--debug-dump=info", obj], capture_output=True,
                              text=True).stdout
        parents, current = [], None
        for line in text.splitlines():
            if line.startswith(" <"):
                m = DIE.match(line)
                if not m:
                    current = None
                    continue
                depth, offset = int(m.group(1)), int(m.group(2), 16)
                del parents[depth:]
                parent = parents[-1] if parents else None
                current = {"tag": m.group(3), "parent": parent, "offset": offset}
                self.entries[offset] = current
                self.children.setdefault(parent, []).append(offset)
                parents.append(offset)
                continue
            if current is None or "DW_AT_" not in line:
                continue
            at = line.index("DW_AT_")
            key = line[at:].split(":", 1)[0].strip()
            if key in ATTRIBUTES:
                value = line[line.index(":", at) + 1:].strip()
                if key == "DW_AT_name":
                    value = value.rsplit("): ", 1)[-1]
                    if current["tag"] == "DW_TAG_variable":
                        self.named.setdefault(value, []).append(current)
                current[key] = value

    def ref(self, entry, key):
        m = REFERENCE.search(entry.get(key, ""))
        return self.entries.get(int(m.group(1), 16)) if m else None

    def origin(self, entry):
        """The entry that declares this one (the declaration a definition
        refers to, or the function an inlined copy came from), itself when
        none."""
        for _ in range(4):
            nxt = self.ref(entry, "DW_AT_specification") or self.ref(entry, "DW_AT_abstract_origin")
            if not nxt:
                break
            entry = nxt
        return entry

    def function_of(self, entry):
        """The name of the function a local variable stands in ("" when
        the entries do not say it), or None outside a function."""
        offset = entry["parent"]
        while offset is not None:
            parent = self.entries[offset]
            if parent["tag"] in ("DW_TAG_subprogram", "DW_TAG_inlined_subroutine"):
                return self.origin(parent).get("DW_AT_name", "")
            offset = parent["parent"]
        return None

    def ours(self, entry):
        """A record declared by the program, not by a library it uses."""
        name = entry.get("DW_AT_name", "")
        if name.startswith(("wx", "_")):
            return False
        offset = entry["parent"]
        while offset is not None:
            parent = self.entries[offset]
            space = parent.get("DW_AT_name", "")
            if parent["tag"] == "DW_TAG_namespace" and (space == "std" or space.startswith("__")):
                return False
            offset = parent["parent"]
        return True

    def fields(self, entry, depth=0):
        count = 0
        for child in self.children.get(entry["offset"], []):
            member = self.entries[child]
            if member["tag"] == "DW_TAG_member" and "DW_AT_declaration" not in member:
                count += 1
            elif member["tag"] == "DW_TAG_inheritance" and depth < 8:
                base = self.ref(member, "DW_AT_type")
                count += self.fields(base, depth + 1) if base else 0
        return count

    def describe(self, name):
        """(const, fields) of the variable of that plain name, or None when
        no entry says. A function-local static whose function the entries
        leave unnamed (clang's) is matched by its own name alone: const only
        when every such static of that name is."""
        base = name.rsplit("::", 1)[-1].split("[")[0]
        function = name.rsplit("::", 1)[0][:-2].rsplit("::", 1)[-1] if "()::" in name else None
        exact, unnamed = [], []
        for entry in self.named.get(base, []):
            declared = self.origin(entry)
            inside = self.function_of(entry)
            if "DW_AT_type" not in declared or (function is None) != (inside is None):
                continue
            if function is None or inside == function:
                exact.append(declared)
            elif inside == "" and ("DW_OP_addr" in entry.get("DW_AT_location", "")):
                unnamed.append(declared)
        found = [self.kind(entry) for entry in (exact or unnamed)]
        if not found:
            return None
        return all(const for const, _ in found), max(fields for _, fields in found)

    def kind(self, entry):
        """(const, fields) of a variable's type."""
        const, kind = False, self.ref(entry, "DW_AT_type")
        while kind and kind["tag"] in ("DW_TAG_typedef", "DW_TAG_const_type",
                                        "DW_TAG_volatile_type", "DW_TAG_array_type"):
            const |= kind["tag"] == "DW_TAG_const_type"
            kind = self.ref(kind, "DW_AT_type")
        count = 1
        if kind and kind["tag"] in ("DW_TAG_structure_type", "DW_TAG_class_type",
                                    "DW_TAG_union_type") and self.ours(kind):
            count = max(self.fields(kind), 1)
        return const, count


def globals_of(obj, source):
    listing = subprocess.run(["objdump", "-t", "-w", obj], capture_output=True,
                             text=True).stdout
    mangled = []
    for line in listing.splitlines():
        m = SYMBOL.match(line)
        if not m:
            continue
        flags, section = m.group(2), m.group(3)
        if flags[5] != " " or flags[6] not in "O ":  # a section's or a file's symbol
            continue
        if not WRITABLE.match(section) or section.startswith(".data.rel.ro"):
            continue
        # A part of a variable the optimizer split (clang: "name.0") is the
        # variable.
        mangled.append(re.sub(r"\.\d+$", "", m.group(5).replace(".hidden ", "")))
    if not mangled:
        return []
    names = subprocess.run(["c++filt"], input="\n".join(mangled), capture_output=True,
                           text=True).stdout.splitlines()
    names = sorted({plain(n) for n in names if not LEFT_OUT.search(n.replace(
        "(anonymous namespace)::", ""))})
    if not names:
        return []
    dwarf = Dwarf(obj)
    found = []
    for name in names:
        described = dwarf.describe(name)
        if described and described[0]:
            continue  # const: built once, never changed
        found.append((source, name, described[1] if described else 1))
    return found


def globals_of_pair(pair):
    return globals_of(*pair)


def listed(build):
    with ProcessPoolExecutor(max_workers=4) as pool:
        parts = pool.map(globals_of_pair, objects(build))
    return sorted({g for part in parts for g in part})


def table(doc):
    """source -> {variable: reason} from the table "Globals that stay"."""
    rows = {}
    section = False
    for line in open(doc, encoding="utf-8"):
        if line.startswith("## "):
            section = line.strip() == "## Globals that stay"
            continue
        if not section or not line.startswith("| `"):
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) < 3:
            continue
        source = cells[0].strip("`")
        for name in re.findall(r"`([^`]+)`", cells[1]):
            rows.setdefault(source, {})[name] = cells[2]
    return rows


def main(argv):
    check = bool(argv) and argv[0] == "--check"
    if check:
        argv = argv[1:]
    build = os.path.abspath(argv[0] if argv else os.path.join(ROOT, "build"))
    if not os.path.isfile(os.path.join(build, "compile_commands.json")):
        print(f"no {build}/compile_commands.json: configure and build first", file=sys.stderr)
        return 2
    found = listed(build)
    if not check:
        for source, name, fields in found:
            print(f"{source} {name}" + (f" ({fields} fields)" if fields > 1 else ""))
        return 0
    doc = os.path.join(ROOT, "docs", "ARCHITECTURE.md")
    rows = table(doc)
    if not rows:
        print(f"{doc} has no table \"Globals that stay\"", file=sys.stderr)
        return 1
    failed = False
    for source, name, _ in found:
        reason = rows.get(source, {}).get(name.split("[")[0])
        if not reason:
            print(f"no reason in \"Globals that stay\" for {name} ({source})")
            failed = True
    cache = os.path.join(build, "CMakeCache.txt")
    sanitized = os.path.isfile(cache) and "TN_SANITIZE:BOOL=ON" in open(cache).read()
    defined = {(source, name.split("[")[0]) for source, name, _ in found}
    if not sanitized:
        for source, names in sorted(rows.items()):
            for name in sorted(names):
                if (source, name) not in defined:
                    print(f"\"Globals that stay\" names {name} ({source}), which the build "
                          "does not define")
                    failed = True
    print(f"{len(found)} mutable globals holding {sum(f for _, _, f in found)} fields")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
