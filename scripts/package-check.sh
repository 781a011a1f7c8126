#!/usr/bin/env bash
# Builds the Debian package and checks it as an administrator would meet it: its
# Depends, its files unpacked into an empty root, the installed wmiquery (run against
# the system's libraries only), the desktop entry and both manual pages. Exits non-zero
# on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "package-check: FAILED: $*" >&2; exit 1; }

bash scripts/build-package.sh
debs=(build-package/veskin_*_"$(dpkg --print-architecture)".deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one package in build-package/, found: ${debs[*]}"
deb=${debs[0]}
version=$(sed -n 's/^project(Veskin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ $(basename "$deb") == "veskin_${version}_$(dpkg --print-architecture).deb" ]] || fail "package name $(basename "$deb")"

echo "== dpkg-deb -I $deb"
info=$(dpkg-deb -I "$deb")
echo "$info"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6core6 libssl3 libxml2 libgssapi-krb5-2 gss-ntlmssp libstdc++6 libc6; do
    grep -Eq "(^|, )${library//+/\\+}( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
for file in usr/bin/veskin usr/bin/wmiquery usr/share/man/man1/veskin.1.gz usr/share/man/man1/wmiquery.1.gz \
            usr/share/applications/veskin.desktop usr/share/icons/hicolor/scalable/apps/veskin.svg \
            usr/share/icons/hicolor/256x256/apps/veskin.png; do
    [[ -f $root/$file ]] || fail "the package lacks /$file"
done
module=$(find "$root/usr/lib" -name veskin-wsman.so)
[[ -n $module ]] || fail "the package lacks the WS-Management module veskin-wsman.so"
file "$root/usr/share/icons/hicolor/256x256/apps/veskin.png" | grep -q "PNG image data, 256 x 256" || fail "icon is no 256x256 PNG"

echo "== installed wmiquery"
unset LD_LIBRARY_PATH
# Every library the programs need resolves to the system's, none to the build tree.
for program in "$root/usr/bin/veskin" "$root/usr/bin/wmiquery" "$module"; do
    if ldd "$program" | grep -E "not found|$PWD"; then fail "$program needs libraries outside the system"; fi
done
[[ $("$root/usr/bin/wmiquery" --version) == "wmiquery $version" ]] || fail "wmiquery --version"
output=$("$root/usr/bin/wmiquery" 'SELECT Caption FROM Win32_OperatingSystem') || fail "the query failed"
echo "$output"
[[ $(head -1 <<<"$output") == Caption && $(wc -l <<<"$output") -eq 2 ]] || fail "unexpected query output"
# Another computer: the installed program finds its module (a port where nothing
# listens refuses the connection; 800706BA would mean the module was not loaded).
output=$("$root/usr/bin/wmiquery" --host 127.0.0.1:1 'SELECT * FROM Win32_Process' 2>&1) && fail "port 1 answered"
echo "$output"
[[ $output == "Error: 80338112: "* ]] || fail "the installed wmiquery did not reach WS-Management: $output"

echo "== desktop entry"
desktop-file-validate "$root/usr/share/applications/veskin.desktop" || fail "desktop-file-validate"

echo "== manual pages"
for page in veskin wmiquery; do
    gz=$root/usr/share/man/man1/$page.1.gz
    MANWIDTH=80 man -l "$gz" >/dev/null || fail "man -l $page"
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$gz" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man warnings for $page: $warnings"
done
echo "package-check: $(basename "$deb") passed"
