#!/usr/bin/env bash
# The data sync against a site that trickles the catalogue: while the download runs the window
# still repaints (a window laid over it and taken away leaves no trace), a click on a section
# button is not taken, and once the site sends the rest the message follows and the new copy
# is stored.
source "$(dirname "$0")/lib.sh" "$@"

ROW_Y=54
SYNC_X=$((281 + 28))
HOT_X=$((143 + 28))

start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini' 30
sleep 3
left=$(((SCREEN_W - 800) / 2))
top=$(((SCREEN_H - 600) / 2))
# A part of the window that nothing changes while the sync runs: the tree's top.
area="160x120+$((left + 10))+$((top + 150))"
import -window root -crop "$area" "$OUT/area-before.png"

curl -s --noproxy '*' http://127.0.0.1:8168/__fault/trickle >/dev/null
n=$(log_lines)
click_at $SYNC_X $ROW_Y 0.2
wait_for_request '^GET /LXTV\.ini$' 10
tail -n +"$((n + 1))" "$SITE_LOG" | grep -qE '^GET /LXTV\.ini$' || fail "data sync fetched nothing"

# Another window over the tree, then away: the client must paint what was beneath it.
xmessage -geometry "200x160+$((left + 20))+$((top + 140))" -bg red -fg red covering &
cover=$!
_pids+=($cover)
sleep 1.5
shot during-sync-covered
kill "$cover"
wait "$cover" 2>/dev/null || true
sleep 1.5
shot during-sync
import -window root -crop "$area" "$OUT/area-after.png"
diff=$(compare -metric AE "$OUT/area-before.png" "$OUT/area-after.png" null: 2>&1 || true)
[ "${diff%% *}" -lt 50 ] || fail "the window did not repaint during the sync ($diff pixels differ)"

# A click meant for a section while the sync runs is not taken.
click_at $HOT_X $ROW_Y 0.5
xdotool search --onlyvisible --name "LXTV：温馨提示" >/dev/null 2>&1 && fail "message before the download ended"

curl -s --noproxy '*' http://127.0.0.1:8168/__fault/none >/dev/null
wait_for_window "LXTV：温馨提示" 10 >/dev/null
sleep 0.5
shot data_sync_message
cmp "$(dirname "$LXTV_BIN")/LXTV.ini" "$SITE_ROOT/LXTV.ini" || fail "the synced copy differs from the site's"
xdotool key Return
sleep 1
expect_no_request_after "$n" '^GET /listbytype'
kill -0 "$CLIENT_PID" 2>/dev/null || fail "client ended"
echo "PASS data sync"
