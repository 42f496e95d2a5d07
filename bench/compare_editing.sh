#!/usr/bin/env bash
# The edits of a user on the ladder of N resistors (default 100,000), ours
# beside xschem's, each timed from its event to the settled picture of the
# window as a user watching the screen sees it (bench/startup/drawn_window
# sends the events through the display server and takes the pictures):
#   bench/compare_editing.sh [BUILD_DIR] [N]
# N of 0 leaves the edits out: only the fit repaints below are measured.
# Runs on the display of $DISPLAY (xvfb-run gives one, 1280x1024, no window
# manager: both windows open at their own size in the top left corner).
# The window coordinates were read off pictures of each window at this
# size. A figure of "-" means the
# picture did not change. Repeats REPEAT times (default 1).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
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
# Ours, 1000 x 720, opens at the fit zoom (the smallest, 0.25) on the middle
# of the ladder, which lies beyond the sheet's page (97,000 x 72,000 units):
# the program maps the pointer onto the page, so that the edits are made
# in the page's corner. The scroll bars dragged to the top left (the page
# and about six rows of 44 resistors in view); a zoom step in and out
# again: the repaint at the fit zoom (about 1,900 items drawn); two steps
# to 1:1 about the corner (the second: a repaint at 1:1); a resistor
# selected (click), another moved half a column (drag, from the release),
# another deleted (a click, then Delete) and the delete undone (Ctrl+Z);
# the page framed at the fit zoom (its two rows of ten resistors, about
# 130 items) and copied, pasted at 1:1 (Ctrl+V, then the click that places
# them).
ours_steps="-drag:992,400,992,50 -drag:500,689,-400,689 -ctrlwheel:3,110 ctrlunwheel:3,110
  -ctrlwheel:3,110 ctrlwheel:3,110 click:173,455 drag:262,455,306,455 -click:350,455
  key:Delete key:ctrl+z -ctrlunwheel:3,110 -ctrlunwheel:3,110 -drag:214,262,1,106
  -key:ctrl+c -ctrlwheel:3,110 -ctrlwheel:3,110 -point:400,300 key:ctrl+v click:420,320"
# xschem, 800 x 600, opens at its full zoom (the whole ladder in one
# column). Thirty wheel steps about its top left corner to about the same
# scale as ours at 1:1 (the last: a repaint at that scale); three rows
# framed (471 items) and copied, pasted beside (Ctrl+V, then the click that
# places them); a resistor selected and deleted; another moved ('m', then a
# click); full zoom (F: every one of the 627,000 items drawn). Its undo is
# greyed in this version: no figure.
xs_steps="$(printf -- '-wheel:22,44 %.0s' $(seq 29)) wheel:22,44
  -drag:3,105,797,430 -key:ctrl+c -point:400,300 key:ctrl+v click:420,320
  -key:Escape click:42,148 key:Delete -click:72,148 -key:m click:82,148 key:f"
# The repaint at the same number of items drawn: the ladder of 320
# resistors (2,008 items), its whole drawing in view, in both programs: a
# zoom step in, then the fit key (ours Ctrl+0, xschem F). REPAINT_SIZES
# names other ladders to measure the same way (1000: a small design).
read -r -a smalls <<<"${REPAINT_SIZES:-320}"
ours_small="-click:500,660 -ctrlwheel:400,300 key:ctrl+0"
xs_small="-wheel:400,300 key:f"

sizes=("${smalls[@]}")
((n > 0)) && sizes+=("$n")
for size in "${sizes[@]}"; do
  mkdir -p "$work/ours$size" "$work/xs$size"
  "$build/bench/spice_road" generate "$work/ours$size" "$size" flat >/dev/null
  "$build/bench/spice_road" run "$work/ours$size" >/dev/null
  awk -v n="$size" -f "$here/xschem/ladder.awk" >"$work/xs$size/ladder.sch"
done

# Each program runs in the work folder: our paste file goes to the working
# directory.
run() {
  if ((n > 0)); then fresh_config "$work/config" "$work/ours$n"; else fresh_config "$work/config" "$work"; fi
  (cd "$work" && XDG_CONFIG_HOME="$work/config" NO_AT_BRIDGE=1 GTK_OVERLAY_SCROLLING=0 \
    "$build/bench/drawn_window" -s "$(echo $1)" "${@:2}" 2>/dev/null)
}

printf "load: %s\n" "$(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 0; r < repeat; r++)); do
  if ((n > 0)); then
    echo "ours, $n resistors:"
    run "$ours_steps" "Tessaron Schematic Editor" "$build/src/tessaron" "$work/ours$n/root.sch"
    echo "xschem, $n resistors:"
    run "$xs_steps" "xschem" xschem --rcfile "$work/xschemrc" "$work/xs$n/ladder.sch"
  fi
  for small in "${smalls[@]}"; do
    echo "ours, $small resistors:"
    run "$ours_small" "Tessaron Schematic Editor" "$build/src/tessaron" "$work/ours$small/root.sch"
    echo "xschem, $small resistors:"
    run "$xs_small" "xschem" xschem --rcfile "$work/xschemrc" "$work/xs$small/ladder.sch"
  done
  printf "load: %s\n" "$(cut -d' ' -f1-3 /proc/loadavg)"
done
