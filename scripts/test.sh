#!/usr/bin/env bash
# Installs, builds and runs every test (windows are tested on Qt's offscreen platform).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel "$(nproc)"
