#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang and libFuzzer (ASan + UBSan) in build-fuzz/ and
# runs each for a bounded time from its seed corpus. A finding (a crash, a sanitizer report, a
# broken property) fails the run; its input is kept in build-fuzz/findings/. Prints each
# target's executions and coverage.
#   scripts/fuzz.sh [SECONDS]   (default 30 per target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${LXTV_FUZZ_SECONDS:-30}}

CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  >/dev/null
ninja -C build-fuzz -j"$(nproc)" >/dev/null

findings=build-fuzz/findings
mkdir -p "$findings"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# target, then the seed files that live elsewhere in the tree.
run() {
  local target=$1 seeds=$2
  local work log
  work=$(mktemp -d)
  log=build-fuzz/$target.log
  # The first corpus folder takes what the run finds; the committed seeds stay as they are.
  if ! build-fuzz/"$target" "$work" "fuzz/corpus/$target" ${seeds:+-seed_inputs=$seeds} \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/$target-" >"$log" 2>&1; then
    rm -rf "$work"
    tail -n 40 "$log" >&2
    echo "FUZZ FINDING in $target: see $log and $findings/" >&2
    return 1
  fi
  rm -rf "$work"
  local runs cov
  runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' || echo 0)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1)
  echo "fuzz $target: $runs executions in ${seconds}s, $cov"
}

run fuzz_profile tools/site/LXTV.ini
run fuzz_image_list assets/defaultListImages.bin
run fuzz_text tools/site/LXTV.ini
