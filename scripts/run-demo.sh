#!/usr/bin/env bash
# Builds the client and the demo provider site, serves the site on 127.0.0.1:8168 and starts
# the client against it. Without a display the client runs under Xvfb for a while and a
# screenshot is saved (its path is printed).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j"$(nproc)" lxtv lxtv_demo_site

out="$top/out"
mkdir -p "$out"
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
# The demo site is on loopback: never send it through a proxy from the environment.
export no_proxy="127.0.0.1,localhost${no_proxy:+,$no_proxy}"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

"$top/build/tools/lxtv_demo_site" --root "$top/tools/site" --port 8168 --log "$out/demo-site.log" &
pids+=($!)
for _ in $(seq 50); do
  (exec 3<>/dev/tcp/127.0.0.1/8168) 2>/dev/null && break
  sleep 0.1
done
echo "demo site: http://127.0.0.1:8168 (request log: $out/demo-site.log)"

if [ -n "${DISPLAY:-}" ]; then
  "$top/build/lxtv"
  exit 0
fi

display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp &
pids+=($!)
sleep 1
DISPLAY=$display "$top/build/lxtv" &
pids+=($!)
seconds=${LXTV_DEMO_SECONDS:-12}
sleep "$seconds"
DISPLAY=$display import -window root "$out/screenshot.png"
echo "screenshot after ${seconds}s under Xvfb: $out/screenshot.png"
