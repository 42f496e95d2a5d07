#!/usr/bin/env bash
# Lists the mutable variables at namespace scope (and static data members)
# of the program's code, one per line as "<source file> <variable>", read
# from the compiled objects: every object symbol defined in a writable data
# section (.data, .bss and their thread-local forms; not .data.rel.ro, which
# holds constants with relocations). Function-local statics, the compiler's
# own symbols (vtables, type information, guard variables, the sanitizers'
# and coverage's "__" names) and the standard library's are left out, and so are the constants that the source declares
# const but the compiler builds at start (a table in a std::vector). A
# source compiled twice counts once.
#
#   scripts/list_globals.sh [BUILD_DIR]          the list (default: build)
#   scripts/list_globals.sh --check [BUILD_DIR]  fails, naming them, when a
#       variable has no line in the section "Globals that stay" of
#       docs/ARCHITECTURE.md naming its source file and itself (with the
#       reason it stays), or when there are more than MAX_GLOBALS.
set -euo pipefail
cd "$(dirname "$0")/.."

# The count only goes down: lower it when a global goes.
MAX_GLOBALS=82

check=0
if [[ "${1:-}" == "--check" ]]; then
  check=1
  shift
fi
build=${1:-build}
if [[ ! -f $build/compile_commands.json ]]; then
  echo "no $build/compile_commands.json: configure and build first" >&2
  exit 2
fi

list() {
  # The objects the build makes of the program's sources (not the tests'),
  # as its compilation database names them: a file moved away leaves no
  # stale object in the count. Each is printed with its source, relative to
  # src/ (a generated source relative to the build's src/).
  python3 - "$build" <<'PY' |
import json, os, shlex, sys
build = os.path.abspath(sys.argv[1])
root = os.path.dirname(build)
seen = set()
for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
    args = shlex.split(entry["command"])
    out = args[args.index("-o") + 1]
    if not out.startswith("src/CMakeFiles/"):
        continue
    obj = os.path.join(entry["directory"], out)
    source = entry["file"]
    for base in (os.path.join(root, "src"), os.path.join(build, "src")):
        if source.startswith(base + "/"):
            source = source[len(base) + 1:]
            break
    if os.path.exists(obj) and (obj, source) not in seen:
        seen.add((obj, source))
        print(obj, source)
PY
    sort | while read -r object source; do
      # objdump -t: address, flags, section, size, name.
      objdump -t -w "$object" |
        awk -v src="$source" '
          $3 == "O" || $2 == "O" {
            section = ($3 == "O") ? $4 : $3
            if (section !~ /^\.(t?bss|t?data)/ || section ~ /^\.data\.rel\.ro/) next
            name = $0
            sub(/^[^\t]*\t[0-9a-f]+[ \t]+/, "", name)
            sub(/^\.hidden /, "", name)
            # A part of a variable the optimizer split (clang: "name.0",
            # "name.1", ...) is the variable.
            sub(/\.[0-9]+$/, "", name)
            print src " " name
          }'
    done | c++filt |
    grep -Ev ' (vtable for|VTT for|construction vtable|typeinfo|guard variable|std::|__|_GLOBAL__|DW\.ref\.|\.)' |
    awk '{ name = $0; gsub(/\(anonymous namespace\)::/, "", name); if (name !~ /\)(::|\[)|\{lambda/) print }' |
    sort -u | while read -r source name; do
      # A constant built when the program starts (a table in a
      # std::vector) lies in .bss too: its declaration says const.
      base=${name##*::}
      base=${base%%\[*}
      if [[ -f src/$source ]] &&
        grep -qE "^[[:space:]]*(static[[:space:]]+|inline[[:space:]]+)*const(expr)?[[:space:]][^()=]*\b$base\b[[:space:]]*(=|\{|\[|;)" "src/$source"; then
        continue
      fi
      echo "$source $name"
    done
}

if ((check == 0)); then
  list
  exit 0
fi

doc=docs/ARCHITECTURE.md
section=$(awk '/^## Globals that stay/ {on = 1; next} /^## / {on = 0} on' "$doc")
if [[ -z $section ]]; then
  echo "$doc has no section \"Globals that stay\"" >&2
  exit 1
fi
failed=0
count=0
while read -r source name; do
  count=$((count + 1))
  # A line of the section names the source file and the variable, each in
  # backticks, and gives the reason.
  plain=${name//"(anonymous namespace)::"/}
  plain=${plain%%\[*}
  if ! grep -F -- "\`$source\`" <<<"$section" | grep -qF -- "\`$plain\`"; then
    echo "no reason in \"Globals that stay\" for $plain ($source)"
    failed=1
  fi
done < <(list)
echo "$count mutable globals (at most $MAX_GLOBALS)"
if ((count > MAX_GLOBALS)); then
  echo "more mutable globals than the $MAX_GLOBALS allowed: a new global needs a home instead"
  failed=1
fi
exit $failed
