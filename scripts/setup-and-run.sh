#!/usr/bin/env bash
# Installs what is missing, builds the program and opens its window (inside a virtual
# display when there is no screen).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DVESKIN_BUILD_APP=ON
cmake --build build --target veskin -j2
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" ./build/app/veskin
fi
exec ./build/app/veskin
