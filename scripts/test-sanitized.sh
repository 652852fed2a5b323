#!/usr/bin/env bash
# Builds a tree with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitized/, runs every test in it, then a short protocol fuzz run of
# hostile stations against `korvent-cli serve`. Not part of the default CI:
# it takes a full second build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-sanitized -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build build-sanitized --parallel "$(nproc)"

# Leaks are not checked: Qt's platform plugins keep allocations until exit.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-sanitized --output-on-failure --parallel "$(nproc)" --timeout 600

for seed in 1 2 3; do
  build-sanitized/readout_fuzz --seed "$seed" --clients 4 --lines 400 --seconds 60
done
