#!/usr/bin/env bash
# Lists the tests that CTest's JUnit reports (ctest --output-junit) mark as
# skipped, one line each: the test's name and the reason it gave (for a
# GoogleTest test the message after "Skipped", for a script the last line
# it printed).
#   scripts/skipped_tests.sh REPORT.xml...
set -euo pipefail
awk '
function unescaped(s) {
  gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s)
  gsub(/&apos;/, "\047", s); gsub(/&#10;/, " ", s); gsub(/&amp;/, "\\&", s)
  return s
}
/<testcase / {
  match($0, /name="[^"]*"/)
  name = unescaped(substr($0, RSTART + 6, RLENGTH - 7))
  skipped = 0; in_message = 0; reason = ""; last = ""
  next
}
/<skipped/ { skipped = 1; next }
/<\/testcase>/ {
  if (skipped) print name ": " (reason != "" ? reason : last != "" ? last : "no reason given")
  skipped = 0
  next
}
skipped {
  line = $0
  sub(/^[ \t]*<system-out>/, "", line)
  sub(/<\/system-out>.*$/, "", line)
  if (line ~ /: Skipped$/) { in_message = 1; next }
  if (line ~ /^\[  SKIPPED \]/) { in_message = 0; next }
  if (line ~ /^[ \t]*$/) next
  if (in_message) reason = reason == "" ? unescaped(line) : reason " " unescaped(line)
  else last = unescaped(line)
}
' "$@"
