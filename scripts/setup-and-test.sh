#!/usr/bin/env bash
# Installs what is missing, builds everything (warnings are errors) and runs every test.
# Exits non-zero when the build or any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DVESKIN_BUILD_APP=ON -DVESKIN_BUILD_TESTS=ON -DVESKIN_WERROR=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure
