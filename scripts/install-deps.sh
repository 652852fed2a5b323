#!/usr/bin/env bash
# Installs the Debian packages Korvent needs to build, run and test.
# Safe to run again: it only asks apt when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-private-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql qt6-qpa-plugins libgl-dev
  libsqlite3-dev sqlite3 zlib1g-dev libxml2-dev libicu-dev libgif-dev libimagequant-dev libxlsxwriter-dev libmicrohttpd-dev
  libgtest-dev libgmock-dev libxml2-utils libminizip-dev
  fonts-dejavu-core postgresql
  dpkg-dev file help2man librsvg2-bin desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
