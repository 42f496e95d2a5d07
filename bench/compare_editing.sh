#!/usr/bin/env bash
# The edits of a user on the ladder of N resistors (default 100,000), ours
# beside xschem's, each timed from its event to the settled picture of the
# window as a user watching the screen sees it (bench/startup/drawn_window
# sends the events through the display server and takes the pictures):
#   bench/compare_editing.sh [BUILD_DIR] [N]
# Runs on the display of $DISPLAY (xvfb-run gives one, 1280x1024, no window
# manager: both windows open at their own size in the top left corner).
# The window coordinates were read off pictures of each window at this size. A figure of "-" means the
# picture did not change. Repeats REPEAT times (default 1).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
n="${2:-100000}"
repeat="${REPEAT:-1}"
for tool in src/tessaron bench/spice_road bench/drawn_window; do
  [[ -x "$build/$tool" ]] || { echo "no $build/$tool: build it first" >&2; exit 1; }
done
command -v xschem >/dev/null || { echo "xschem is not installed" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "source /usr/share/xschem/xschemrc" >"$work/xschemrc"
. "$here/fresh_config.sh"
mkdir "$work/ours" "$work/xs"
"$build/bench/spice_road" generate "$work/ours" "$n" flat >/dev/null
"$build/bench/spice_road" run "$work/ours" >/dev/null
awk -v n="$n" -f "$here/xschem/ladder.awk" >"$work/xs/ladder.sch"

# Ours, 1000 x 720, opens at the fit zoom (the smallest, 0.25: about six
# rows of 44 resistors): a click (the keys go to the sheet), a zoom step
# about the pointer to 0.5, Fit, two steps to 1:1. Our edits are timed
# inside the program by bench_sheet_editing: the ladder reaches far beyond
# its sheet's page (97,000 x 72,000 units), the view of its middle lies
# beyond the page, and the program maps the pointer onto the page, so that
# clicks there act on the page's corner.
ours_steps="-click:500,660 ctrlwheel:14,176 key:ctrl+0 ctrlwheel:14,176 ctrlwheel:14,176"
# xschem, 800 x 600, opens at its full zoom (the whole ladder in one
# column). Thirty wheel steps about its top left corner to about the same
# scale as ours at 1:1; three rows framed (471 items) and copied, pasted
# beside (Ctrl+V, then the click that places them); a resistor selected
# and deleted; another moved ('m', then a click); full zoom. Its undo is
# greyed in this version: no figure.
xs_steps="$(printf 'wheel:22,44 %.0s' $(seq 30))
  -drag:3,105,797,430 -key:ctrl+c -point:400,300 key:ctrl+v click:420,320
  -key:Escape click:42,148 key:Delete -click:72,148 -key:m click:82,148 key:f"

run() {
  fresh_config "$work/config" "$work/ours"
  XDG_CONFIG_HOME="$work/config" NO_AT_BRIDGE=1 GTK_OVERLAY_SCROLLING=0 \
    "$build/bench/drawn_window" -s "$(echo $1)" "${@:2}" 2>/dev/null
}

printf "load: %s\n" "$(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 0; r < repeat; r++)); do
  echo "ours:"
  run "$ours_steps" "Tessaron Schematic Editor" "$build/src/tessaron" "$work/ours/root.sch"
  echo "xschem:"
  run "$xs_steps" "xschem" xschem --rcfile "$work/xschemrc" "$work/xs/ladder.sch"
done
