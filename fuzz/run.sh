#!/usr/bin/env bash
# Builds a fuzz target with clang and runs it for N seconds (default 60): the WQL engine
# (wql_fuzz, the default), the HTTP response parser (http_response_fuzz) or the
# WS-Management answer decoder (wsman_fuzz), or the encrypted-body framing
# (encrypted_body_fuzz).
# Usage: fuzz/run.sh [seconds] [wql_fuzz|http_response_fuzz|wsman_fuzz|encrypted_body_fuzz]
set -euo pipefail
seconds="${1:-60}"
target="${2:-wql_fuzz}"
case "$target" in
  wql_fuzz) seeds=seeds; max_len=4096 ;;
  http_response_fuzz) seeds=seeds-http; max_len=4096 ;;
  wsman_fuzz) seeds=seeds-wsman; max_len=16384 ;;
  encrypted_body_fuzz) seeds=seeds-encrypted; max_len=4096 ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESKIN_FUZZ_BUILD_DIR:-$root/build-fuzz}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVESKIN_BUILD_FUZZ=ON -DVESKIN_WERROR=ON \
  -DVESKIN_BUILD_APP=OFF -DVESKIN_BUILD_TESTS=OFF -DVESKIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "$target" -j2
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
# New inputs go to the temporary folder; the seeds in the repository stay as they are.
"$build/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
  -rss_limit_mb=2048 "$corpus" "$root/fuzz/$seeds"
