#!/usr/bin/env bash
# Measures the figures of the ledger and of the goals table at the head of
# bench/README.md, each in one run, so that they can be taken again on a
# quiet machine:
#   bench/ledger.sh [BUILD_DIR] [PART...]
# BUILD_DIR (default build) holds this tree's optimised build. PARTs
# (default all, in this order):
#   mechanisms  each mechanism alone: the tree with the mechanism taken out
#               (or put back) by bench/ledger/NAME.patch, built into a
#               folder of its own, against this tree, by turns;
#   growth      the jobs of bench_net_growth at 10,000, 100,000 and
#               1,000,000 resistors, each job a process of its own;
#   sheets      the compile of 1,000 and 10,000 sheets into an empty folder;
#   memory      the road's peak memory, one sheet of 10,000 to 1,000,000
#               resistors in both drawings, in this tree and in the trees
#               of the commits in BEFORE (default 269dec6 241b8b2: the
#               previous round and this round's start);
#   xschem      the road beside xschem (bench/compare_xschem.sh), both
#               drawings, 1,000 to 100,000 resistors.
# RUNS (default 3) runs of each figure; the least and the median are given.
# TMPDIR=/dev/shm keeps the disk's flushes out of the figures.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tree="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$tree/build}" && pwd)"
shift || true
parts=("$@")
((${#parts[@]})) || parts=(mechanisms growth sheets memory xschem)
runs="${RUNS:-3}"
turns="$here/by_turns.sh"
# LEDGER_WORK keeps the trees built beside this one for another run.
if [[ -n "${LEDGER_WORK:-}" ]]; then
  work="$LEDGER_WORK" && mkdir -p "$work"
else
  work="$(mktemp -d)" && trap 'rm -rf "$work"' EXIT
fi
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%d %b %Y %H:%M UTC')"

# The tree with one patch applied, its benchmarks built; the build folder.
variant() {
  local name="$1" dir="$work/$1"
  if [[ ! -x "$dir/build/bench/bench_net_growth" ]]; then
    rm -rf "$dir" && mkdir -p "$dir"
    git -C "$tree" archive HEAD | tar -x -C "$dir"
    git -C "$dir" apply "$here/ledger/$name.patch" 2>/dev/null ||
      (cd "$dir" && patch -p1 -s <"$here/ledger/$name.patch")
    (cd "$dir" && CCACHE_BASEDIR="$dir" \
      CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}" \
      scripts/build.sh bench_net_growth spice_road >/dev/null)
  fi
  echo "$dir/build"
}

# The tree of a commit, its road built; the build folder.
commit_build() {
  local rev="$1" dir="$work/commit-$1"
  if [[ ! -x "$dir/build/bench/spice_road" ]]; then
    rm -rf "$dir" && mkdir -p "$dir"
    git -C "$tree" archive "$rev" | tar -x -C "$dir"
    (cd "$dir" && CCACHE_BASEDIR="$dir" \
      CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}" \
      scripts/build.sh spice_road >/dev/null)
  fi
  echo "$dir/build"
}

# One job of bench_net_growth in both builds by turns: its own wall time
# and the process's peak memory.
job() {
  local label="$1" other="$2" family="$3" size="$4"
  echo "-- $family $size"
  "$turns" -n "$runs" -t \
    "this tree" "$build/bench/bench_net_growth --benchmark_filter=BM_Growth$family/$size\$" \
    "$label" "$other/bench/bench_net_growth --benchmark_filter=BM_Growth$family/$size\$"
}

mechanisms() {
  local b
  echo "== the list walks fetching the next node and record ahead (taken out)"
  b="$(variant without_list_prefetch)"
  for f in Erc Netlist; do job "no prefetch" "$b" "$f" 100000; done
  echo "== the names' tables keeping each hash beside its number (taken out)"
  b="$(variant without_hash_beside_text)"
  for n in 100000 1000000; do job "no hash beside" "$b" Erc "$n"; done
  job "no hash beside" "$b" Netlist 100000
  echo "== the set of time stamps taking room for a sheet's stamps first (taken out)"
  b="$(variant without_stamp_room)"
  for n in 100000 1000000; do job "no room first" "$b" Erc "$n"; done
  echo "== the tables made ready ahead by threads, from 256 MiB (taken out)"
  b="$(variant without_table_filler)"
  for f in NetBuild Erc Netlist; do job "no filler" "$b" "$f" 1000000; done
  echo "== the same over the whole room the tables reserve, 160 bytes a record (as before)"
  b="$(variant table_area_of_160_bytes)"
  for f in NetBuild Erc Netlist; do job "160 bytes" "$b" "$f" 1000000; done
  echo "== the same from 64 MiB, as before (its bound lowered)"
  b="$(variant table_filler_from_64_mib)"
  for f in NetBuild Erc Netlist; do job "from 64 MiB" "$b" "$f" 100000; done
}

growth() {
  echo "== each job a process of its own (own time, ms; peak MiB)"
  for f in NetBuild Erc Netlist; do
    for n in 10000 100000 1000000; do
      echo "-- $f $n"
      "$turns" -n "$runs" -t "$f $n" "$build/bench/bench_net_growth --benchmark_filter=BM_Growth$f/$n\$"
    done
  done
}

sheets() {
  echo "== compile into an empty folder, a root over n - 1 sheets"
  for n in 1000 10000; do
    "$turns" -n "$runs" -t "$n sheets" \
      "$build/bench/bench_many_sheets --benchmark_filter=BM_compile_into_empty_folder/sheets:$n/deep:0"
  done
}

memory() {
  local labels=("this tree") builds=("$build") rev n drawing road
  for rev in ${BEFORE:-269dec6 241b8b2}; do labels+=("$rev"); builds+=("$(commit_build "$rev")"); done
  echo "== the road's peak memory, MiB (one sheet)"
  for drawing in labelled wired; do
    for n in 10000 100000 1000000; do
      road="$work/road-$drawing-$n"
      [[ -f "$road/root.asc" ]] || { mkdir -p "$road" &&
        "$build/bench/spice_road" generate "$road" "$n" flat "$drawing" >/dev/null; }
      printf '%-9s %8d' "$drawing" "$n"
      for k in "${!builds[@]}"; do
        /usr/bin/time -f "%M" -o "$work/peak" "${builds[$k]}/bench/spice_road" run "$road" >/dev/null
        printf ' | %s %7.1f' "${labels[$k]}" "$(awk '{ print $1 / 1024 }' "$work/peak")"
      done
      echo
    done
  done
}

xschem() {
  echo "== the road beside xschem"
  REPEAT="$runs" "$here/compare_xschem.sh" "$build" 1000 10000 100000
}

for part in "${parts[@]}"; do "$part"; done
