#!/usr/bin/env bash
# The title strip in the real window: dragging by the strip, maximize and restore, no drag while
# maximized, the data sync's message, and the close object ending the program with code 0.
source "$(dirname "$0")/lib.sh" "$@"

start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 1
left=$(((SCREEN_W - 800) / 2))
top=$(((SCREEN_H - 600) / 2))
expect_geometry $left $top 800 600

# Drag by a bare part of the strip.
xdotool mousemove --window "$WID" 500 15 mousedown 1
for _ in $(seq 10); do xdotool mousemove_relative -- 6 -4; sleep 0.03; done
xdotool mouseup 1
sleep 0.3
expect_geometry $((left + 60)) $((top - 40)) 800 600
left=$((left + 60))
top=$((top - 40))

# Hover pictures: the close object turns red under the pointer and back when it leaves; a big
# button's caption turns red.
reddish() { IFS=, read -r r g b <<<"$1"; [ "$r" -gt 150 ] && [ "$g" -lt 120 ] && [ "$b" -lt 120 ]; }
xdotool mousemove --window "$WID" $((4 + 800 - 30 + 2)) 10
sleep 0.4
reddish "$(pixel $((4 + 800 - 30 + 2)) 10)" || fail "close object not red under the pointer: $(pixel $((4 + 800 - 30 + 2)) 10)"
shot close_hover
xdotool mousemove --window "$WID" 500 60
sleep 0.4
reddish "$(pixel $((4 + 800 - 30 + 2)) 10)" && fail "close object still red after the pointer left"
red_in_caption() {  # counts reddish pixels in the caption band of the data sync button
  import -window root -crop "56x14+$((left + 281))+$((top + 29 + 34))" txt:- |
    grep -oE 'srgb\([0-9]+,[0-9]+,[0-9]+' | cut -c6- | while IFS=, read -r r g b; do
      [ "$r" -gt 150 ] && [ "$g" -lt 100 ] && [ "$b" -lt 100 ] && echo x
    done | wc -l
}
[ "$(red_in_caption)" -eq 0 ] || fail "data sync caption red without the pointer"
xdotool mousemove --window "$WID" $((281 + 28)) $((29 + 20))
sleep 0.4
[ "$(red_in_caption)" -gt 5 ] || fail "data sync caption not red under the pointer"
shot button_hover
xdotool mousemove --window "$WID" 500 300
sleep 0.2

# Object 2 maximizes: the screen's width, its height less 28.
click_at $((4 + 800 - 52 + 10)) 17 0.8
expect_geometry 0 0 $SCREEN_W $((SCREEN_H - 28))
shot maximized

# No drag while maximized.
xdotool mousemove --window "$WID" 500 15 mousedown 1
for _ in $(seq 5); do xdotool mousemove_relative -- 8 8; sleep 0.03; done
xdotool mouseup 1
sleep 0.3
expect_geometry 0 0 $SCREEN_W $((SCREEN_H - 28))

# Object 2 again restores 800x600, centred.
click_at $((4 + SCREEN_W - 52 + 10)) 17 0.8
expect_geometry $(((SCREEN_W - 800) / 2)) $(((SCREEN_H - 600) / 2)) 800 600

# Data sync: the catalogue is fetched again and the viewer is told it worked.
n=$(log_lines)
click_at $((281 + 28)) $((29 + 25)) 0.2
wait_for_window "LXTV：温馨提示" 5 >/dev/null
tail -n +"$((n + 1))" "$SITE_LOG" | grep -qE '^GET /LXTV\.ini$' || fail "data sync fetched nothing"
sleep 0.5
shot data_sync_message
xdotool key Return
sleep 0.5

# Object 1 ends the program with exit code 0.
click_at $((4 + 800 - 30 + 10)) 17 0
for _ in $(seq 50); do kill -0 "$CLIENT_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$CLIENT_PID" 2>/dev/null && fail "close object did not end the program"
wait "$CLIENT_PID" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
echo "PASS title strip"
