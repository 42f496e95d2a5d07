#!/usr/bin/env bash
# The include direction check, on a tree of the project's own folders and
# their floors (docs/ARCHITECTURE.md): a tree that includes one way passes;
# each planted fault fails, naming its file: a header of a low floor that
# includes one of a higher floor, a relative include doing the same, two and
# three folders of one floor including each other round; the project's own
# src/ passes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
check="$here/../../scripts/check_include_direction.py"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
src="$tmp/src"

put() { mkdir -p "$(dirname "$src/$1")" && printf '%b' "$2" >"$src/$1"; }
put foundation/list.h '#pragma once\n#include "platform/profile.h"\n'
put platform/profile.h '#pragma once\n#include <vector>\n'
put connectivity/nets.cpp '#include "foundation/list.h"\n#include "missing/generated.h"\n'
put editor/mode.h '#pragma once\n#include "foundation/list.h"\n'
put dialogs/forms/row.h '#pragma once\n#include "editor/mode.h"\n#include "row_kinds.h"\n'
put dialogs/forms/row_kinds.h '#pragma once\n'
put render/paint.h '#pragma once\n'
put shell/commands.h '#pragma once\n#include "dialogs/forms/row.h"\n#include <render/paint.h>\n'
# The two model folders are one library: both ways between them is allowed.
put model/items/item.h '#include "model/documents/doc.h"\n'
put model/documents/doc.h '#include "model/items/item.h"\n'
python3 "$check" "$src" || { echo "FAIL: a one-way tree was refused"; exit 1; }

# Each fault is planted alone and must be refused with its file named.
refused() {  # file, its text, what the report must name
  put "$1" "$2"
  if out="$(python3 "$check" "$src")"; then
    echo "FAIL: passed with $1"
    exit 1
  fi
  grep -qF "$3" <<<"$out" || { echo "FAIL: $3 not named: $out"; exit 1; }
  rm "$src/$1"
}
refused dialogs/forms/back.h '#pragma once\n#include "shell/commands.h"\n' \
  "dialogs/forms/back.h -> shell/commands.h"
refused dialogs/forms/paints.h '#pragma once\n#include "render/paint.h"\n' \
  "dialogs/forms includes render, a floor above it"
refused editor/relative.cpp '#include "../shell/commands.h"\n' \
  "editor/relative.cpp -> ../shell/commands.h"
refused platform/back.cpp '#include "foundation/list.h"\n' \
  "platform/back.cpp -> foundation/list.h"
put import/reader.h '#pragma once\n#include "connectivity/nets.h"\n'
put connectivity/nets.h '#pragma once\n#include "foundation/list.h"\n'
refused foundation/round.cpp '#include "import/reader.h"\n' "foundation/round.cpp -> import/reader.h"
refused newfolder/thing.cpp '#include "foundation/list.h"\n' "newfolder stands on no floor"

python3 "$check" "$here/../../src"
echo "include direction: ok"
