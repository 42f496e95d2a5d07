#!/usr/bin/env bash
# Lists the program's mutable globals (scripts/list_globals.py says what
# counts), or with --check holds them to the table "Globals that stay" of
# docs/ARCHITECTURE.md.
#
#   scripts/list_globals.sh [BUILD_DIR]          the list (default: build)
#   scripts/list_globals.sh --check [BUILD_DIR]  fails, naming them, on a
#       variable without its line and reason there, and on a line naming a
#       variable the build does not define.
exec python3 "$(dirname "$0")/list_globals.py" "$@"
