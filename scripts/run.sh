#!/usr/bin/env bash
# Installs, builds and starts Korvent. The program directory is the checkout,
# where common/ lives. Without an event folder the demo event is used, made on first use.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
event="${1:-demo-event}"
if [ "$event" = demo-event ] && [ ! -d demo-event ]; then
  mkdir demo-event
  build/korvent-cli --event demo-event generate --seed 1 --teams 60
  build/korvent-cli --event demo-event calculate --all
fi
exec build/korvent "$event"
