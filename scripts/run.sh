#!/usr/bin/env bash
# Sets everything up, builds the program and runs it on the shipped example
# hierarchy (examples/, compiled into build/examples/). Further arguments are
# passed to the program (more sheet files, -debug, -libedit, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/src/tessaron build/examples/root.sch "$@"
