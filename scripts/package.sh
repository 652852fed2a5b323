#!/usr/bin/env bash
# Builds the Debian package korvent_<version>_<arch>.deb into build/ (the
# folder is kept between runs); its library dependencies are found by
# dpkg-shlibdeps. Install it with: sudo apt-get install ./build/korvent_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
cpack -G DEB
ls -l korvent_*.deb
