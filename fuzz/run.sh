#!/usr/bin/env bash
# Builds the WQL fuzz target with clang and runs it for N seconds (default 60).
# Usage: fuzz/run.sh [seconds]
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESKIN_FUZZ_BUILD_DIR:-$root/build-fuzz}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVESKIN_BUILD_FUZZ=ON -DVESKIN_WERROR=ON \
  -DVESKIN_BUILD_APP=OFF -DVESKIN_BUILD_TESTS=OFF -DVESKIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target wql_fuzz -j2
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
# New inputs go to the temporary folder; the seeds in the repository stay as they are.
"$build/fuzz/wql_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 "$corpus" "$root/fuzz/seeds"
