#!/usr/bin/env bash
# Installs Debian packages that are missing: the ones named as arguments, or by default
# those the build, the window and the tests need. Uses sudo only when not already root.
set -euo pipefail

packages=(build-essential cmake qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xauth fonts-dejavu-core libssl-dev libxml2-dev openssl ca-certificates
          python3 python3-cryptography
          pkg-config libkrb5-dev gss-ntlmssp gss-ntlmssp-dev krb5-kdc krb5-admin-server krb5-user
          python3-gssapi python3-winrm
          dpkg-dev file librsvg2-bin desktop-file-utils man-db groff-base clang-format)
if (($# > 0)); then
    packages=("$@")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    as_root=()
    if [[ $(id -u) -ne 0 ]]; then
        as_root=(sudo)
    fi
    "${as_root[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
