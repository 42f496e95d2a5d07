#!/usr/bin/env bash
# Runs two or more commands by turns (A B A B ...), each run a process of
# its own, and prints for each its wall time and peak memory: the least and
# the median of the runs, so that a slow spell of a shared machine meets
# every command alike.
#   bench/by_turns.sh [-n RUNS] [-t|-c] LABEL 'COMMAND' LABEL 'COMMAND' ...
# RUNS (default 3) runs of each. The time is the shell's clock around the
# process; with -t it is instead the wall time of the command's last Google
# Benchmark line ("NAME  <wall> ms  <cpu> ms ..."): the job's own time,
# without the set-up around it; with -c that line's processor time (the
# job's own thread). Peak memory is /usr/bin/time's maximum resident set,
# MiB. Output, one line per command:
#   LABEL  time least median  (ms)  peak least median  (MiB)
set -euo pipefail
export LC_NUMERIC=C
runs=3
own_time=0
while (($#)); do
  case "$1" in
    -n) runs="$2"; shift 2 ;;
    -t) own_time=1; shift ;;
    -c) own_time=2; shift ;;
    *) break ;;
  esac
done
(($# >= 2 && $# % 2 == 0)) || { echo "usage: $0 [-n RUNS] [-t|-c] LABEL 'COMMAND' ..." >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is not installed" >&2; exit 1; }
labels=() commands=()
while (($#)); do labels+=("$1"); commands+=("$2"); shift 2; done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for ((r = 0; r < runs; r++)); do
  for k in "${!commands[@]}"; do
    start=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/peak" bash -c "${commands[$k]}" >"$work/out" 2>"$work/err" ||
      { echo "${labels[$k]} failed:" >&2; tail -5 "$work/err" >&2; exit 1; }
    end=$EPOCHREALTIME
    if ((own_time)); then
      t=$(grep -E '^BM_.* ms ' "$work/out" | tail -1 | grep -Eo '[0-9.]+ ms' |
        sed -n "${own_time}p" | cut -d' ' -f1)
      [[ -n "$t" ]] || { echo "${labels[$k]}: no time in its output" >&2; exit 1; }
    else
      t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) * 1000 }')
    fi
    echo "$t" >>"$work/time.$k"
    awk '{ printf "%.1f\n", $1 / 1024 }' "$work/peak" >>"$work/peak.$k"
  done
done

# The least and the median of a file of numbers.
least_median() {
  sort -g "$1" | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%10.1f %10.1f", v[1], m }'
}
printf '%-24s %21s %21s\n' "" "time ms: least median" "peak MiB: least median"
for k in "${!commands[@]}"; do
  printf '%-24s %21s %21s\n' "${labels[$k]}" "$(least_median "$work/time.$k")" \
    "$(least_median "$work/peak.$k")"
done
