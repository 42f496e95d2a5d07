#!/usr/bin/env bash
# Sets everything up, builds the program and runs it on the shipped example
# hierarchy (examples/, compiled into build/examples/). Further arguments are
# passed to the program (more sheet files, -debug, -libedit, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# Only the program and the example it opens: the tests, benchmarks and fuzz
# targets are built by scripts/test.sh.
scripts/build.sh program
exec build/src/tessaron build/examples/root.sch "$@"
