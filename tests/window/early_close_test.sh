#!/usr/bin/env bash
# Closing the window while a 200,000-channel tree is still being filled ends the program at
# once and cleanly (exit code 0), however far the builder has got. Tried a few times, since
# where the builder stands at the close varies.
source "$(dirname "$0")/lib.sh" "$@"

start_site --fault large
start_display
for attempt in 1 2 3; do
  start_client
  click_at 60 $((150 + 40 * attempt)) 0
  xdotool key Escape
  for _ in $(seq 100); do kill -0 "$CLIENT_PID" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$CLIENT_PID" 2>/dev/null && fail "attempt $attempt: Esc did not end the program"
  wait "$CLIENT_PID" && rc=0 || rc=$?
  [ "$rc" -eq 0 ] || fail "attempt $attempt: exit code $rc: $(grep -v '^ *\*' "$OUT/client.log" | tail -3)"
done
echo "PASS early close"
