#!/usr/bin/env bash
# The time from a program's start to the settled picture of its window on
# the ladder of N resistors, ours beside xschem's, as a user watching the
# screen sees it (bench/startup/drawn_window.cpp takes the pictures):
#   bench/compare_startup.sh [BUILD_DIR] [SIZES...]
# BUILD_DIR defaults to build (it needs the targets tessaron, spice_road and
# drawn_window). Runs on the display of $DISPLAY (xvfb-run gives one); each
# figure is the minimum of REPEAT runs (default 5). GTK's overlay scroll
# bars fade in and out for a second after a window appears, which is no
# drawing of the sheet: they are turned off for the measure.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(10000 100000)
repeat="${REPEAT:-5}"
for tool in src/tessaron bench/spice_road bench/drawn_window; do
  [[ -x "$build/$tool" ]] || { echo "no $build/$tool: build it first" >&2; exit 1; }
done
command -v xschem >/dev/null || { echo "xschem is not installed" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "source /usr/share/xschem/xschemrc" >"$work/xschemrc"
. "$here/fresh_config.sh"

# The least of `repeat` measures of the command; a fresh configuration each
# time, so that no run finds another one running.
least() {
  local best="" t
  for ((r = 0; r < repeat; r++)); do
    fresh_config "$work/config" "$work/ours"
    t=$(XDG_CONFIG_HOME="$work/config" NO_AT_BRIDGE=1 GTK_OVERLAY_SCROLLING=0 \
        "$build/bench/drawn_window" "$@" 2>/dev/null)
    if [[ -z "$best" ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best="$t"; fi
  done
  echo "$best"
}

printf "load: %s\n" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf "%10s | %10s %10s | %7s\n" resistors "ours s" "xschem s" "ours/x"
for n in "${sizes[@]}"; do
  rm -rf "$work/ours" && mkdir "$work/ours"
  "$build/bench/spice_road" generate "$work/ours" "$n" flat >/dev/null
  "$build/bench/spice_road" run "$work/ours" >/dev/null
  mkdir -p "$work/xs"
  awk -v n="$n" -f "$here/xschem/ladder.awk" >"$work/xs/ladder.sch"
  ours=$(least "Tessaron Schematic Editor" "$build/src/tessaron" "$work/ours/root.sch")
  theirs=$(least "xschem" xschem --rcfile "$work/xschemrc" "$work/xs/ladder.sch")
  awk -v n="$n" -v o="$ours" -v x="$theirs" \
    'BEGIN { printf "%10d | %10.3f %10.3f | %7.2f\n", n, o, x, o / x }'
done
