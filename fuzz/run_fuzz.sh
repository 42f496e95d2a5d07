#!/bin/sh
# Runs a fuzz target over its seeds:  run_fuzz.sh MIN SCRATCH TARGET ARGS...
# Fails when the target fails, or when it read fewer than MIN seed files
# (the files it found earlier, in SCRATCH, not counted): a seed folder that
# did not reach the target is a fault of the set-up, not a pass.
min=$1
scratch=$2
shift 2
log=$(mktemp) || exit 1
"$@" >"$log" 2>&1
status=$?
if [ "$status" -ne 0 ]; then
  cat "$log"
  rm -f "$log"
  exit "$status"
fi
# libFuzzer: "INFO: <n> files found in <dir>" per folder; the replay
# driver: "replayed <n> inputs" (it finds nothing of its own).
read_seeds=$(awk -v scratch="$scratch" '
  / files found in / { if ($NF != scratch) n += $2; seen = 1 }
  /^replayed [0-9]+ inputs/ { n += $2; seen = 1 }
  END { print seen ? n : -1 }' "$log")
tail -n 5 "$log"
rm -f "$log"
if [ "$read_seeds" -lt "$min" ]; then
  echo "the target read $read_seeds seed files, fewer than the $min it is given"
  exit 1
fi
echo "read $read_seeds seed files (at least $min)"
