#!/usr/bin/env bash
# Configures and builds one configuration.
#   scripts/build.sh            gcc, optimised, warnings as errors -> build/
#   scripts/build.sh --sanitize clang with AddressSanitizer, UBSan and
#                               libFuzzer targets                 -> build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--sanitize" ]]; then
  dir=build-asan
  cmake -G Ninja -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTN_SANITIZE=ON -DTN_WERROR=ON -DTN_BENCH=OFF >/dev/null
else
  dir=build
  cmake -G Ninja -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DTN_WERROR=ON >/dev/null
fi
cmake --build "$dir"
