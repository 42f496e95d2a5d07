#!/usr/bin/env bash
# Checks that the C and C++ files under src/ tests/ bench/ fuzz/ changed
# since the commit that brought in .clang-format follow it: files touched by
# the commits made on top of it (merges aside: they bring work done before
# it) and files changed but not yet committed. Older files are left as they
# were written. Fails when clang-format is missing (scripts/setup.sh installs
# it); exits 77 (skipped) when the git history is missing (a copy of the
# project that is not a clone).
set -uo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "format check: clang-format is not installed (scripts/setup.sh installs it)"
  exit 1
fi
base=$(git log --diff-filter=A --format=%H -1 -- .clang-format 2>/dev/null)
if [[ -z "$base" ]]; then
  echo "format check skipped: no git history of .clang-format"
  exit 77
fi
dirs=(src tests bench fuzz)
mapfile -t files < <({
  git log --ancestry-path --no-merges --format= --name-only "$base..HEAD" -- "${dirs[@]}"
  git diff --name-only HEAD -- "${dirs[@]}"
  git ls-files --others --exclude-standard -- "${dirs[@]}"
} | grep -E '\.(c|cc|cpp|h|hpp)$' | sort -u | while read -r f; do [[ -f $f ]] && echo "$f"; done)
if ((${#files[@]} == 0)); then
  echo "format check: no C or C++ file changed since .clang-format came in"
  exit 0
fi
if ! clang-format --dry-run -Werror "${files[@]}"; then
  echo "format check: files above do not follow .clang-format; run clang-format -i on them"
  exit 1
fi
echo "format check: ${#files[@]} changed files follow .clang-format"
