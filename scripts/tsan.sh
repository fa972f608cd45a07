#!/usr/bin/env bash
# Builds the test programs whose tests run threads with ThreadSanitizer in build-tsan/ and runs
# those tests: the profile cache's concurrent readers, the download, the data sync's helper
# thread, the click sound's thread, the tree builder and its carrier, and the toggle from the
# builder's thread. A report fails the run; scripts/tsan.supp lists what is suppressed, all of
# it inside Qt's own libraries, and why.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLXTV_TSAN=ON \
      -DLXTV_BUILD_BENCH=OFF >/dev/null
ninja -C build-tsan -j"$(nproc)" test_platform test_catalogue test_chrome lxtv_demo_site >/dev/null

export QT_QPA_PLATFORM=offscreen
# Qt's own event dispatcher instead of glib's, so every wake-up of a thread's loop happens inside
# Qt's libraries.
export QT_NO_GLIB=1
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"
export TSAN_OPTIONS="halt_on_error=${LXTV_TSAN_HALT:-1} second_deadlock_stack=1 history_size=5 suppressions=$PWD/scripts/tsan.supp"

run() {
  local program=$1 filter=$2
  echo "tsan $program: $filter"
  build-tsan/tests/"$program" --gtest_filter="$filter" --gtest_brief=1
}
# The endless body's memory bound is measured in the other builds: ThreadSanitizer's shadow
# memory multiplies every allocation.
run test_platform 'ProfileCache.*:HttpTest.*:ClickSound.*:-HttpTest.EndlessBodyIsAbandonedAtTheSizeLimit'
run test_catalogue 'FetchTest.*:TreeCarrier.*:LoadedWindow.*'
run test_chrome 'TitleStrip.*Worker*'
