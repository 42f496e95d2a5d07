#!/usr/bin/env bash
# The globals listing, on an object of its own: a thread-local, a
# function-local static and a record of eleven fields are listed (the
# record with its fields), a const table built at start and the compiler's
# own symbols are not; --check refuses each listed one that has no line in
# "Globals that stay".
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
list="$here/../../scripts/list_globals.sh"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

cat >"$tmp/planted.cpp" <<'CPP'
#include <string>
#include <vector>
namespace {
struct Eleven {
    int a, b, c, d, e, f, g, h, i, j, k;
};
Eleven eleven_fields;
thread_local int per_thread = 0;
const std::vector<std::string> built_at_start = {"x", "y"};
}  // namespace
int counted() {
    static int calls = 0;
    return ++calls + per_thread++ + eleven_fields.k++ + int(built_at_start.size());
}
CPP
object=src/CMakeFiles/planted.dir/planted.cpp.o
mkdir -p "$tmp/build/$(dirname "$object")"
command="g++ -std=c++20 -O2 -g -o $object -c $tmp/planted.cpp"
(cd "$tmp/build" && $command)
printf '[{"directory": "%s", "command": "%s", "file": "%s"}]\n' \
  "$tmp/build" "$command" "$tmp/planted.cpp" >"$tmp/build/compile_commands.json"

out="$("$list" "$tmp/build")"
for expected in "planted.cpp per_thread" "planted.cpp counted()::calls" \
  "planted.cpp eleven_fields (11 fields)"; do
  grep -qF "$expected" <<<"$out" || { echo "FAIL: not listed: $expected"; echo "$out"; exit 1; }
done
if grep -q "built_at_start\|guard\|__" <<<"$out"; then
  echo "FAIL: a constant or the compiler's own symbol listed: $out"
  exit 1
fi
if out="$("$list" --check "$tmp/build")"; then
  echo "FAIL: --check passed globals without reasons: $out"
  exit 1
fi
grep -qF "no reason in \"Globals that stay\" for counted()::calls" <<<"$out" ||
  { echo "FAIL: not refused: $out"; exit 1; }
echo "globals listing: ok"
