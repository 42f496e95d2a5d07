#!/usr/bin/env bash
# The time from a program's start to the settled picture of its window on
# the ladder of N resistors, ours beside xschem's, as a user watching the
# screen sees it (bench/startup/drawn_window.cpp takes the pictures):
#   bench/compare_startup.sh [BUILD_DIR] [SIZES...]
# BUILD_DIR defaults to build (it needs the targets tessaron, spice_road and
# drawn_window). Runs on the display of $DISPLAY (xvfb-run gives one); each
# figure is the least and the median of REPEAT runs (default 5), the two
# programs taking turns, so that a slow spell of a shared machine meets
# both alike. GTK's overlay scroll bars fade in and out for a second after
# a window appears, which is no drawing of the sheet: they are turned off
# for the measure.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(1000 10000 100000)
repeat="${REPEAT:-5}"
for tool in src/tessaron bench/spice_road bench/drawn_window; do
  [[ -x "$build/$tool" ]] || { echo "no $build/$tool: build it first" >&2; exit 1; }
done
command -v xschem >/dev/null || { echo "xschem is not installed" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "source /usr/share/xschem/xschemrc" >"$work/xschemrc"
. "$here/fresh_config.sh"

# One measure of the command; a fresh configuration each time, so that no
# run finds another one running.
measure() {
  fresh_config "$work/config" "$work/ours"
  XDG_CONFIG_HOME="$work/config" NO_AT_BRIDGE=1 GTK_OVERLAY_SCROLLING=0 \
    "$build/bench/drawn_window" "$@" 2>/dev/null
}

# "least median" of the figures given.
least_median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f %.3f", v[1], m }'
}

printf "load: %s\n" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf "%10s | %17s | %17s | %11s\n" resistors "ours s least/med" "xschem s least/med" "ours/x med"
for n in "${sizes[@]}"; do
  rm -rf "$work/ours" && mkdir "$work/ours"
  "$build/bench/spice_road" generate "$work/ours" "$n" flat >/dev/null
  "$build/bench/spice_road" run "$work/ours" >/dev/null
  mkdir -p "$work/xs"
  awk -v n="$n" -f "$here/xschem/ladder.awk" >"$work/xs/ladder.sch"
  ours=() theirs=()
  for ((r = 0; r < repeat; r++)); do
    ours+=("$(measure "Tessaron Schematic Editor" "$build/src/tessaron" "$work/ours/root.sch")")
    theirs+=("$(measure "xschem" xschem --rcfile "$work/xschemrc" "$work/xs/ladder.sch")")
  done
  read -r ol om <<<"$(least_median "${ours[@]}")"
  read -r xl xm <<<"$(least_median "${theirs[@]}")"
  awk -v n="$n" -v ol="$ol" -v om="$om" -v xl="$xl" -v xm="$xm" \
    'BEGIN { printf "%10d | %8.3f %8.3f | %8.3f %8.3f | %11.2f\n", n, ol, om, xl, xm, om / xm }'
done
printf "load: %s\n" "$(cut -d' ' -f1-3 /proc/loadavg)"
