#!/usr/bin/env bash
# Builds the client and runs every test: unit tests, whole-window tests under Xvfb, the unit
# tests again built with AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a
# bounded time each, and the tests that exercise threads under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/format.sh --check
bash scripts/layers.sh

jobs=$(nproc)
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j"$jobs"
ctest --test-dir build --output-on-failure -j1
# What the package test built: the Debian package's control fields and its files.
echo "== $(ls build/package-test-output/deb/lxtv_*.deb)"
cat build/package-test-output/deb-control.txt build/package-test-output/deb-contents.txt

# As root every file is writable; the write tests and the choice of the catalogue's folder run
# again as an ordinary user.
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  scratch=$(mktemp -d)
  cp build/tests/test_platform "$scratch/"
  chmod 755 "$scratch" "$scratch/test_platform"
  (cd "$scratch" && QT_QPA_PLATFORM=offscreen runuser -u nobody -- ./test_platform \
     --gtest_filter='WriteFileBytes.*:DataDirectory.*' --gtest_brief=1)
  rm -rf "$scratch"
fi

if [ "${LXTV_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLXTV_SANITIZE=ON \
        -DLXTV_BUILD_BENCH=OFF >/dev/null
  ninja -C build-asan -j"$jobs"
  ctest --test-dir build-asan --output-on-failure -j1 -L unit
fi

# The readers of untrusted bytes under libFuzzer, 30 s a target; a finding fails the run.
if [ "${LXTV_SKIP_FUZZ:-0}" != 1 ]; then
  bash scripts/fuzz.sh
fi

# The tests that exercise threads, under ThreadSanitizer.
if [ "${LXTV_SKIP_TSAN:-0}" != 1 ]; then
  bash scripts/tsan.sh
fi
