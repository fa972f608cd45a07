#!/usr/bin/env bash
# Builds the client and runs every test: unit tests, whole-window tests under Xvfb, then the
# unit tests again built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/format.sh --check

jobs=$(nproc)
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j"$jobs"
ctest --test-dir build --output-on-failure -j1

if [ "${LXTV_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLXTV_SANITIZE=ON \
        -DLXTV_BUILD_BENCH=OFF >/dev/null
  ninja -C build-asan -j"$jobs"
  ctest --test-dir build-asan --output-on-failure -j1 -L unit
fi
