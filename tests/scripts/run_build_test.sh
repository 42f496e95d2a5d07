#!/usr/bin/env bash
# scripts/run.sh builds the program and what it needs to open the example,
# nothing of the tests, benchmarks or fuzz targets (scripts/test.sh builds
# those): the commands its target needs, asked of the build tree given.
#   tests/scripts/run_build_test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
target=$(sed -n 's|^scripts/build.sh \([a-z_]*\)$|\1|p' "$root/scripts/run.sh")
if [[ -z "$target" ]]; then
  echo "scripts/run.sh builds no single target: it builds everything"
  exit 1
fi
commands=$(ninja -C "$build" -t commands "$target")
extra=$(grep -E "$root/(tests|bench|fuzz)/|/(tests|bench|fuzz)/[^ ]*\.(cpp|o)( |$)" <<<"$commands" || true)
if [[ -n "$extra" ]]; then
  echo "scripts/run.sh builds more than it runs:"
  head -5 <<<"$extra"
  exit 1
fi
for needed in 'src/tessaron' 'examples/root.asc' 'Tessaron.htb'; do
  if ! grep -q -- "$needed" <<<"$commands"; then
    echo "scripts/run.sh does not build what it runs: nothing names $needed"
    exit 1
  fi
done
