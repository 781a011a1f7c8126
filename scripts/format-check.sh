#!/usr/bin/env bash
# Fails when clang-format (with the repository's .clang-format) would change a tracked
# *.h or *.cpp file; names each such file and the count of files.
#   scripts/format-check.sh            (from anywhere; checks the repository it lies in)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if ! command -v clang-format >/dev/null 2>&1; then
    echo "format-check: clang-format is missing (bash scripts/install-deps.sh clang-format)" >&2
    exit 1
fi

failures=0
while IFS= read -r -d '' file; do
    if ! clang-format --dry-run --Werror "$file" 2>/dev/null; then
        echo "$file: not formatted"
        failures=$((failures + 1))
    fi
done < <(git ls-files -z '*.h' '*.cpp')

if ((failures > 0)); then
    echo "format-check: clang-format would change $failures file(s)" >&2
    exit 1
fi
echo "format-check: every file is formatted"
