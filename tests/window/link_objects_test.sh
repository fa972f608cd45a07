#!/usr/bin/env bash
# The title strip's two link objects lie under the big buttons but for a margin at their right
# and bottom: that margin is drawn, turns warm under the pointer, and a press on it opens the
# object's outside page through the desktop's opener.
source "$(dirname "$0")/lib.sh" "$@"

# The desktop's opener as the client finds it on the path, writing down what it gets.
stub_opener

# The window stands centred.
left=$(((SCREEN_W - 800) / 2))
top=$(((SCREEN_H - 600) / 2))
start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 1
distance() {  # two "r,g,b" -> sum of absolute differences
  local a b c d e f v sum=0
  IFS=, read -r a b c <<<"$1"
  IFS=, read -r d e f <<<"$2"
  for v in $((a - d)) $((b - e)) $((c - f)); do sum=$((sum + ${v#-})); done
  echo "$sum"
}
warm() { local r g b; IFS=, read -r r g b <<<"$1"; [ "$b" -lt $((r - 30)) ]; }

# Object 5 spans window x 7..66 and y 32..81; siteHomeButton covers x 5..60 and y 29..78.
# Object 6 spans x 75..134; latestPicksButton covers x 74..129.
# The margin is drawn: it differs from the bare strip beside it in the same row.
shot links_start
margin=$(pixel 63 55)
bare=$(pixel 70 55)
[ "$(distance "$margin" "$bare")" -gt 12 ] || fail "object 5's margin ($margin) looks like the bare strip ($bare)"
# Under the pointer it turns warm (the hover picture), and back when the pointer leaves.
warm "$margin" && fail "object 5's margin is warm without the pointer: $margin"
xdotool mousemove --window "$WID" 64 55
for _ in $(seq 30); do warm "$(pixel 63 45)" && break; sleep 0.1; done
warm "$(pixel 63 45)" || fail "object 5's margin did not turn warm under the pointer: $(pixel 63 45)"
shot links_hover
xdotool mousemove --window "$WID" 500 300
for _ in $(seq 30); do warm "$(pixel 63 45)" || break; sleep 0.1; done
warm "$(pixel 63 45)" && fail "object 5 kept its hover picture after the pointer left"

# A press on each margin opens the object's page and nothing else.
click_at 64 55 0.5
click_at 100 80 0.5
for _ in $(seq 50); do [ "$(wc -l <"$OPENED")" -ge 2 ] && break; sleep 0.1; done
board=$(sed -n 's/^messageBoardPage:STRING=//p' "$(dirname "$LXTV_BIN")/CMakeCache.txt")
article=$(sed -n 's/^articlePage:STRING=//p' "$(dirname "$LXTV_BIN")/CMakeCache.txt")
[ "$(sed -n 1p "$OPENED")" = "$board" ] || fail "object 5 opened '$(sed -n 1p "$OPENED")', not $board"
[ "$(sed -n 2p "$OPENED")" = "$article" ] || fail "object 6 opened '$(sed -n 2p "$OPENED")', not $article"
[ "$(wc -l <"$OPENED")" -eq 2 ] || fail "opener called other than twice: $(cat "$OPENED")"
kill -0 "$CLIENT_PID" || fail "client ended"
echo "PASS link objects"
