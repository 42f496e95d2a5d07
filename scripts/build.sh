#!/usr/bin/env bash
# Configures and builds one configuration.
#   scripts/build.sh            gcc, optimised, warnings as errors -> build/
#   scripts/build.sh --sanitize clang with AddressSanitizer, UBSan and
#                               libFuzzer targets                 -> build-asan/
# Targets named after the options build only those and what they need
# (scripts/run.sh builds the program and the example); without any,
# everything is built: the program, the tests, the benchmarks and the fuzz
# targets.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--sanitize" ]]; then
  shift
  dir=build-asan
  cmake -G Ninja -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTN_SANITIZE=ON -DTN_WERROR=ON -DTN_BENCH=OFF >/dev/null
else
  dir=build
  cmake -G Ninja -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DTN_WERROR=ON >/dev/null
fi
if (($#)); then
  cmake --build "$dir" --target "$@"
else
  cmake --build "$dir"
fi
