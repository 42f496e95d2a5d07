#!/usr/bin/env bash
# Sets everything up, builds the program and runs it. Arguments are passed
# to the program (sheet files to open, -debug, -libedit, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/src/tessaron "$@"
