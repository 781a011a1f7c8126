#!/usr/bin/env bash
# The tests under AddressSanitizer and UndefinedBehaviorSanitizer: builds the library
# and window tests and wmiquery with VESKIN_SANITIZE into build-asan, runs the tests,
# then wmiquery on the local computer's own data. Any sanitizer report fails the run.
#   scripts/sanitize-check.sh        (from anywhere; uses the repository it lies in)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-asan"

bash "$root/scripts/install-deps.sh"

start=$SECONDS
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVESKIN_SANITIZE=ON -DVESKIN_WERROR=ON \
    -DVESKIN_BUILD_APP=ON -DVESKIN_BUILD_TESTS=ON -DVESKIN_BUILD_TOOLS=ON -DVESKIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
# The Wine tests run the Windows build, which is not sanitized.
ctest --test-dir "$build" --output-on-failure -j2 --exclude-regex '^WineWmiQuery\.'

# The native providers read this machine's /proc and /sys: real data, not test objects.
for query in "SELECT * FROM Win32_OperatingSystem" "SELECT * FROM Win32_Process" \
             "SELECT Name, FreeSpace FROM Win32_LogicalDisk" "SELEC * FROM"; do
    set +e
    report="$("$build/tools/wmiquery/wmiquery" "$query" 2>&1 >/dev/null)"
    status=$?
    set -e
    # 0 is a table, 5 a failed query (the error row); a sanitizer report aborts with
    # another code.
    if ((status != 0 && status != 5)) || grep -q -e 'Sanitizer' -e 'runtime error' <<<"$report"; then
        printf '%s\n' "$report" | tail -n 40 >&2
        echo "sanitize-check: wmiquery \"$query\" ended with $status" >&2
        exit 1
    fi
done
echo "sanitize-check: tests and wmiquery passed under the sanitizers in $((SECONDS - start)) s"
