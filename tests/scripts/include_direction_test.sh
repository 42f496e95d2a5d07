#!/usr/bin/env bash
# The include direction check: a tree whose folders include one way passes,
# one back-include fails naming its file, and the project's own src/ passes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
check="$here/../../scripts/check_include_direction.py"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$tmp/src/low" "$tmp/src/high" "$tmp/src/model/items" "$tmp/src/model/documents"
printf '#pragma once\n' >"$tmp/src/low/low.h"
printf '#include "low/low.h"\n#include <vector>\n#include "missing/generated.h"\n' >"$tmp/src/high/high.cpp"
printf '#pragma once\n' >"$tmp/src/high/high.h"
# The two model folders are one library: both ways between them is allowed.
printf '#include "model/documents/doc.h"\n' >"$tmp/src/model/items/item.h"
printf '#include "model/items/item.h"\n' >"$tmp/src/model/documents/doc.h"
python3 "$check" "$tmp/src" || { echo "FAIL: a one-way tree was refused"; exit 1; }

printf '#include "high/high.h"\n' >"$tmp/src/low/low.cpp"
if out="$(python3 "$check" "$tmp/src")"; then
  echo "FAIL: a back-include passed"
  exit 1
fi
grep -q "low/low.cpp -> high/high.h" <<<"$out" || { echo "FAIL: not named: $out"; exit 1; }

python3 "$check" "$here/../../src"
echo "include direction: ok"
