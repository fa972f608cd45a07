#!/usr/bin/env bash
# Start-up against the demo site: the loading page is requested before the catalogue, the local
# copy equals the served bytes, the window stands centred at 800x600 with its title, and Esc
# ends the program cleanly.
source "$(dirname "$0")/lib.sh" "$@"

start_site
start_display
rm -f "$(dirname "$LXTV_BIN")/LXTV.ini"
start_client

wait_for_request '^GET /LXTV\.ini'
loading=$(grep -nE '^GET /loading\.html' "$SITE_LOG" | head -n 1 | cut -d: -f1)
catalogue=$(grep -nE '^GET /LXTV\.ini' "$SITE_LOG" | head -n 1 | cut -d: -f1)
[ -n "$loading" ] || fail "loading page never requested"
[ "$loading" -lt "$catalogue" ] || fail "catalogue requested before the loading page"
cmp "$(dirname "$LXTV_BIN")/LXTV.ini" "$SITE_ROOT/LXTV.ini" || fail "local copy differs"

geometry=$(xdotool getwindowgeometry "$WID")
echo "$geometry"
echo "$geometry" | grep -q "Position: $(((SCREEN_W - 800) / 2)),$(((SCREEN_H - 600) / 2))" \
  || fail "window not centred: $geometry"
echo "$geometry" | grep -q "Geometry: 800x600" || fail "window not 800x600: $geometry"
[ "$(xdotool getwindowname "$WID")" = "岚汐网络电视(LXTV)" ] || fail "title: $(xdotool getwindowname "$WID")"

sleep 2
shot startup

# Esc on the tree (which does not take the key) closes the window and ends the program.
click_at 60 200
xdotool key Escape
for _ in $(seq 50); do kill -0 "$CLIENT_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$CLIENT_PID" 2>/dev/null && fail "Esc did not end the program"
wait "$CLIENT_PID" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
echo "PASS startup"
