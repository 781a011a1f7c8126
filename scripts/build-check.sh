#!/usr/bin/env bash
# The build a packager makes: Release (-O3) of the library layers, wmiquery and the
# benchmarks, without the tests and the window, warnings as errors, into build-release.
# Checks that an optimised build is warning-free and that the benchmarks link without
# the tests. Exits non-zero when either fails.
#   scripts/build-check.sh           (from anywhere; uses the repository it lies in)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-release"

bash "$root/scripts/install-deps.sh" build-essential cmake pkg-config libbenchmark-dev libssl-dev libxml2-dev libkrb5-dev

start=$SECONDS
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVESKIN_WERROR=ON \
    -DVESKIN_BUILD_APP=OFF -DVESKIN_BUILD_TESTS=OFF -DVESKIN_BUILD_TOOLS=ON -DVESKIN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2
echo "build-check: Release build with benchmarks and without tests passed in $((SECONDS - start)) s"
