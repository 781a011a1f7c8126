#!/usr/bin/env bash
# The Windows side, checked on Linux: installs mingw-w64 and Wine if missing,
# cross-builds every library layer and wmiquery.exe into build-mingw (warnings are
# errors), and runs wmiquery.exe under Wine for three queries. Exits non-zero when the
# cross build fails or a query shows something the Windows program must not show.
#   scripts/wine-check.sh            (from anywhere; uses the repository it lies in)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-mingw"

bash "$root/scripts/install-deps.sh" cmake make g++-mingw-w64-x86-64 wine64

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESKIN_WERROR=ON -DVESKIN_BUILD_APP=OFF -DVESKIN_BUILD_TESTS=OFF -DVESKIN_BUILD_TOOLS=ON
cmake --build "$build" -j2

wine=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" >/dev/null 2>&1; then
        wine="$(command -v "$candidate")"
        break
    fi
done
if [[ -z "$wine" ]]; then
    echo "wine-check: no Wine loader found" >&2
    exit 1
fi

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
program="$build/tools/wmiquery/wmiquery.exe"
failures=0

# Runs one query; prints the steps, the first lines of the table and the exit code.
run() {
    local query="$1" output status
    echo "=== $query"
    "$wine" "$program" --steps "$query" 2>/dev/null | sed 's/^/    step: /' || true
    set +e
    # The table goes to standard output, an error row to standard error.
    output="$("$wine" "$program" "$query" 2>&1)"
    status=$?
    set -e
    printf '%s\n' "$output" | head -n 4 | cut -c1-200
    echo "    exit code $status, $(printf '%s\n' "$output" | wc -l) line(s)"
    LAST_OUTPUT="$output"
    LAST_STATUS=$status
}

for query in "SELECT * FROM Win32_OperatingSystem" "SELECT * FROM Win32_Process"; do
    run "$query"
    # A table (header and rows), or the one error row the window would show.
    if [[ $LAST_STATUS -eq 0 ]]; then
        if [[ $(printf '%s\n' "$LAST_OUTPUT" | wc -l) -lt 2 ]]; then
            echo "wine-check: $query gave no rows" >&2
            failures=$((failures + 1))
        fi
    elif ! [[ "$LAST_OUTPUT" =~ ^Error:\ [0-9A-F]{8}:\ .*[^.]$ ]]; then
        echo "wine-check: $query failed without a proper error row" >&2
        failures=$((failures + 1))
    fi
done

run "SELEC * FROM"
# Exit code 5: the query failed.
if [[ "$LAST_OUTPUT" != "Error: 80041017: The query was not syntactically valid." || $LAST_STATUS -ne 5 ]]; then
    echo "wine-check: bad syntax did not give the catalogue's text" >&2
    failures=$((failures + 1))
fi

if ((failures > 0)); then
    echo "wine-check: $failures check(s) failed" >&2
    exit 1
fi
echo "wine-check: cross build and Wine run passed"
