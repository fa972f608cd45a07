# Shared steps of the whole-window tests: the demo site, Xvfb, the client, clicks, screenshots.
# Usage in a test: source lib.sh "$@"  (args: lxtv binary, demo-site binary, site folder, output folder)
set -euo pipefail

LXTV_BIN=$1
SITE_BIN=$2
SITE_ROOT=$3
OUT=$4
mkdir -p "$OUT"
SITE_LOG="$OUT/site.log"
: >"$SITE_LOG"
SCREEN_W=1280
SCREEN_H=800
TITLE="LXTV"

export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"
export ASAN_OPTIONS=detect_leaks=0
export no_proxy="127.0.0.1,localhost${no_proxy:+,$no_proxy}"

_pids=()
_cleanup() {
  for p in "${_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap _cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  shot "failure" || true
  exit 1
}

# The demo site on the port the client is built for. The port file appears only once this
# server listens, so a server of someone else's on the port is never mistaken for ours.
start_site() {
  rm -f "$OUT/site.port"
  "$SITE_BIN" --root "$SITE_ROOT" --port 8168 --log "$SITE_LOG" --port-file "$OUT/site.port" "$@" &
  local pid=$!
  _pids+=($pid)
  for _ in $(seq 100); do
    [ -s "$OUT/site.port" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "demo site did not start (is port 8168 taken?)"
    sleep 0.05
  done
  fail "demo site did not start"
}

start_display() {
  for n in $(seq 20 60); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 ${SCREEN_W}x${SCREEN_H}x24 -nolisten tcp >/dev/null 2>&1 &
    _pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
  done
  fail "no Xvfb display"
}

# Starts the client and waits until its window is mapped; sets WID and CLIENT_PID.
start_client() {
  "$LXTV_BIN" >"$OUT/client.log" 2>&1 &
  CLIENT_PID=$!
  _pids+=($CLIENT_PID)
  for _ in $(seq 300); do
    WID=$(xdotool search --onlyvisible --name "$TITLE" 2>/dev/null | head -n 1 || true)
    [ -n "$WID" ] && return 0
    kill -0 "$CLIENT_PID" 2>/dev/null || fail "client exited early: $(tail -5 "$OUT/client.log")"
    sleep 0.1
  done
  fail "client window did not appear"
}

# Click at a point given in window coordinates.
click_at() {
  xdotool mousemove --window "$WID" "$1" "$2" sleep 0.1 click 1
  sleep "${3:-0.3}"
}

shot() { import -window root "$OUT/$1.png"; }

# Waits until the site's log has a line matching the extended regex; fails after $2 seconds.
wait_for_request() {
  local pattern=$1 seconds=${2:-10}
  for _ in $(seq $((seconds * 10))); do
    grep -qE "$pattern" "$SITE_LOG" && return 0
    sleep 0.1
  done
  fail "no request matching '$pattern' in the site's log: $(cat "$SITE_LOG")"
}

log_lines() { wc -l <"$SITE_LOG"; }

# Fails when a line after line $1 of the log matches the pattern.
expect_no_request_after() {
  local from=$1 pattern=$2
  if tail -n +"$((from + 1))" "$SITE_LOG" | grep -qE "$pattern"; then
    fail "unexpected request matching '$pattern': $(tail -n +"$((from + 1))" "$SITE_LOG")"
  fi
}

# Waits until a visible window with the given name appears; sets BOX; fails after $2 seconds.
wait_for_window() {
  local name=$1 seconds=${2:-5}
  BOX=""
  for _ in $(seq $((seconds * 10))); do
    BOX=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1 || true)
    [ -n "$BOX" ] && return 0
    sleep 0.1
  done
  fail "no window named '$name'"
}
