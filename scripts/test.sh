#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: the optimised gcc build,
# then the sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer,
# libFuzzer targets). GUI tests run on a virtual X display.
#   scripts/test.sh            both configurations
#   scripts/test.sh --quick    the optimised build only
#   scripts/test.sh --sanitize the sanitizer build only
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

configs=(default sanitize)
case "${1:-}" in
  --quick) configs=(default) ;;
  --sanitize) configs=(sanitize) ;;
esac

jobs=$(nproc)
status=0
reports=()
for c in "${configs[@]}"; do
  if [[ $c == sanitize ]]; then
    scripts/build.sh --sanitize; dir=build-asan
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  else
    scripts/build.sh; dir=build
  fi
  echo "=== Tests: $c configuration ==="
  # Everything but the GUI tests, then the GUI tests (which run windows on a
  # virtual display). The display server must not reset when its last client
  # leaves (-noreset): a test program that connects during a reset finds no
  # display and fails.
  # Each run's JUnit report names the tests it skipped and why.
  rm -f "$dir"/junit-*.xml
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600 -LE gui \
      --output-junit "$PWD/$dir/junit-core.xml" || status=1
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600 -L gui \
      --output-junit "$PWD/$dir/junit-gui.xml" || status=1
  reports+=("$c:$dir")
done

# Last, one line per skipped test with its reason.
echo "=== Skipped tests ==="
skipped=0
for r in "${reports[@]}"; do
  c=${r%%:*}
  dir=${r#*:}
  shopt -s nullglob
  files=("$dir"/junit-*.xml)
  shopt -u nullglob
  ((${#files[@]})) || continue
  while IFS= read -r line; do
    echo "skipped ($c): $line"
    skipped=$((skipped + 1))
  done < <(scripts/skipped_tests.sh "${files[@]}")
done
((skipped)) || echo "none"
exit $status
