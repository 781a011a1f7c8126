#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, makes a Release build of the
# window and wmiquery in build-package/, and runs cpack there. The package is then
# build-package/veskin_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Release at -O2: GCC 12 at -O3 reports a false -Werror=restrict in rtl/Format.cpp.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
      -DCMAKE_INSTALL_PREFIX=/usr \
      -DVESKIN_BUILD_TESTS=OFF -DVESKIN_BUILD_BENCH=OFF -DVESKIN_BUILD_FUZZ=OFF
nice cmake --build build-package -j"${VESKIN_JOBS:-2}"
(cd build-package && cpack -G DEB)
ls build-package/veskin_*.deb
