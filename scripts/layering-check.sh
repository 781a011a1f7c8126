#!/usr/bin/env bash
# Fails when a file includes a layer above its own: each folder may include only the
# folders below it (rtl at the bottom, then platform and recordset, then wmi, then the
# programs), Qt only in app/, and OpenSSL, GSS-API and libxml2 only in platform/wsman/.
#   scripts/layering-check.sh [ROOT]   (default: the repository this script lies in)
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

declare -A allowed=(
    [rtl]="rtl"
    [platform]="platform rtl"
    [recordset]="recordset rtl"
    [wmi]="wmi platform recordset rtl"
    [app]="app wmi recordset rtl"
    [tools]="tools wmi platform recordset rtl"
)

failures=0
for layer in "${!allowed[@]}"; do
    [[ -d "$root/$layer" ]] || continue
    while IFS=: read -r file line text; do
        target=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$text")
        if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
            echo "${file#"$root"/}:$line: $layer/ may not include $target/: $text"
            failures=$((failures + 1))
        fi
    done < <(grep -rnE '^#include "[^/"]+/' "$root/$layer" --include='*.h' --include='*.cpp' || true)
done

# Libraries that belong to one layer.
check_system() {
    local pattern="$1" home="$2" what="$3"
    while IFS= read -r hit; do
        echo "${hit#"$root"/}: $what only in $home/"
        failures=$((failures + 1))
    done < <(grep -rnE "^#include <($pattern)" "$root/rtl" "$root/platform" "$root/recordset" "$root/wmi" "$root/tools" \
                 --include='*.h' --include='*.cpp' | grep -v "^$root/$home/" || true)
}
check_system 'Q[A-Za-z]+>|Qt' app "Qt"
check_system 'openssl/|gssapi|krb5|libxml' platform/wsman "OpenSSL, GSS-API and libxml2"

if ((failures > 0)); then
    echo "layering-check: $failures include(s) point the wrong way" >&2
    exit 1
fi
echo "layering-check: every include points down"
