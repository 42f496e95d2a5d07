#!/usr/bin/env bash
# Runs the ladder road (ASCII sources to a SPICE netlist, one sheet and a
# ten-sheet hierarchy) and xschem's SPICE netlister on the same ladder, side
# by side, and prints wall time and peak memory of each, with the ratios:
# one table for each way of drawing the ladder (DRAWINGS, default "labelled
# wired": a label on every node, or wires as users draw them).
#   bench/compare_xschem.sh [BUILD_DIR] [SIZES...]
# BUILD_DIR defaults to build (it needs the spice_road program:
# cmake --build build --target spice_road). Each figure is the minimum of
# REPEAT runs (default 3), the three programs taking turns. With CLOCK=cpu
# the times are processor time (user and system) instead of wall time: the
# steadier figure on a loaded machine, which slows a program waiting on
# memory more than one that computes. Needs /usr/bin/time and xschem.
set -euo pipefail
export LC_NUMERIC=C  # a point in the shell's clock and awk's figures
[[ -n "${EPOCHREALTIME:-}" ]] || { echo "needs bash 5 (EPOCHREALTIME)" >&2; exit 1; }
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(1000 5000 10000 50000 100000)
repeat="${REPEAT:-3}"
read -r -a drawings <<<"${DRAWINGS:-labelled wired}"
road="$build/bench/spice_road"
[[ -x "$road" ]] || { echo "no $road: build the spice_road target first" >&2; exit 1; }
command -v xschem >/dev/null || { echo "xschem is not installed" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is not installed" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One run of the command: its wall time (s) on standard output, the shell's
# clock around the program alone (to the microsecond: /usr/bin/time counts
# hundredths, a fifth of our road at 5,000, and its own start would add a
# couple of milliseconds to every run); with CLOCK=cpu its processor time
# (user and system, /usr/bin/time's, in hundredths). The command's own
# output goes to $work/out.
run_once() {
  local t u s m start end
  if [[ "${CLOCK:-wall}" == cpu ]]; then
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/out" 2>"$work/err" ||
      { cat "$work/err" >&2; return 1; }
    read -r t u s m <"$work/time"
    awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f\n", u + s }'
  else
    start=$EPOCHREALTIME
    "$@" >"$work/out" 2>"$work/err" || { cat "$work/err" >&2; return 1; }
    end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
  fi
}

# The peak memory (KiB) of one run of the command (it does not vary from
# run to run).
peak_memory() {
  local t u s m
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/out" 2>"$work/err" ||
    { cat "$work/err" >&2; return 1; }
  read -r t u s m <"$work/time"
  echo "$m"
}

# The smaller of two times.
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }'; }

# xschem reads its rc file for the library path; the netlist goes to our folder.
cat >"$work/xschemrc" <<RC
source /usr/share/xschem/xschemrc
set netlist_dir $work/xs
RC

printf "load: %s, %s time\n" "$(cut -d' ' -f1-3 /proc/loadavg)" "${CLOCK:-wall}"
for drawing in "${drawings[@]}"; do
wired=0
[[ "$drawing" == wired ]] && wired=1
printf "%s\n" "$drawing"
printf "%8s %9s | %9s %8s | %9s %8s | %9s %8s | %7s %7s | %7s %7s\n" \
  resistors parts "flat s" "MiB" "hier s" "MiB" "xschem s" "MiB" "flat/x" "hier/x" "memF/x" "memH/x"
for n in "${sizes[@]}"; do
  for mode in flat hier; do
    rm -rf "$work/$mode" && mkdir "$work/$mode"
    parts=$("$road" generate "$work/$mode" "$n" "$mode" "$drawing")
  done
  rm -rf "$work/xs" && mkdir "$work/xs"
  awk -v n="$n" -v wired="$wired" -f "$here/xschem/ladder.awk" >"$work/xs/ladder.sch"
  xschem_run=(xschem -q -x -r -n -s --rcfile "$work/xschemrc" "$work/xs/ladder.sch")
  # The three programs take turns, so that a slow spell of the machine
  # meets each of them alike; each figure is the least of its runs.
  t_flat="" t_hier="" t_x=""
  for ((r = 0; r < repeat; r++)); do
    t_flat=$(least "$(run_once "$road" run "$work/flat")" "$t_flat")
    t_hier=$(least "$(run_once "$road" run "$work/hier")" "$t_hier")
    t_x=$(least "$(run_once "${xschem_run[@]}")" "$t_x")
  done
  m_flat=$(peak_memory "$road" run "$work/flat")
  m_hier=$(peak_memory "$road" run "$work/hier")
  m_x=$(peak_memory "${xschem_run[@]}")
  for mode in flat hier; do
    got=$(grep -c '^[Rr]' "$work/$mode/ladder.cir" || true)
    [[ "$got" == "$parts" ]] || { echo "$mode $n: $got resistor lines of $parts" >&2; exit 1; }
  done
  got=$(grep -c '^R' "$work/xs/ladder.spice" || true)
  [[ "$got" == "$parts" ]] || { echo "xschem $n: $got resistor lines of $parts" >&2; exit 1; }
  awk -v n="$n" -v p="$parts" -v tf="$t_flat" -v mf="$m_flat" -v th="$t_hier" -v mh="$m_hier" \
    -v tx="$t_x" -v mx="$m_x" 'BEGIN {
      printf "%8d %9d | %9.3f %8.1f | %9.3f %8.1f | %9.3f %8.1f | %7.3f %7.3f | %7.2f %7.2f\n",
        n, p, tf, mf / 1024, th, mh / 1024, tx, mx / 1024, tf / tx, th / tx, mf / mx, mh / mx }'
done
done
