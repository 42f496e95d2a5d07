#!/usr/bin/env bash
# scripts/test.sh ends with a line per skipped test and its reason: the
# skipped tests of a CTest JUnit report, GoogleTest's and a script's, are
# listed with the reason each printed; tests that ran or failed are not.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
expected='ImportReal.CmosCpuHierarchy: no real OrCAD data at ../shared/realdata & no <tutor>
fuzz.ini.seeds: seeds skipped: ../shared/realdata/orcad-sdt32 is absent'
actual=$("$root/scripts/skipped_tests.sh" "$root/tests/data/scripts/ctest_junit.xml")
if [[ "$actual" != "$expected" ]]; then
  printf 'expected:\n%s\nlisted:\n%s\n' "$expected" "$actual"
  exit 1
fi
