#!/usr/bin/env bash
# Full screen in the real window: a double click on a channel's video covers the whole screen
# with it; PageDown then opens the next channel and the view stays covering the screen; Esc
# leaves full screen without ending the program and the window stands exactly where it stood,
# from the normal and from the maximized state; the page's own control leaves it too; outside
# full screen Esc still closes the program.
source "$(dirname "$0")/lib.sh" "$@"

whole="0,0 ${SCREEN_W}x${SCREEN_H}"

# Double-clicks the video of the channel page shown (it stands at page x 24..504, y 208..478
# below the site's header; the browser view starts at window x 143, y 115).
double_click_video() {
  xdotool mousemove --window "$WID" $((143 + 200)) $((115 + 300)) sleep 0.2 click --repeat 2 --delay 80 1
}
expect_rect() {
  local want=$1 what=$2 got
  for _ in $(seq 50); do
    got=$(window_rect)
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  fail "$what: the window stands at '$got', not '$want'"
}
# The screen shows the page alone: where the tree would stand (window x 10, y 200 of the normal
# window) the screenshot is not the tree's background colour.
expect_screen_covered() {
  shot "$1"
  local tree
  tree=$(convert "$OUT/$1.png" -crop 1x1+250+300 -format '%[pixel:p{0,0}]' info:)
  [ "$tree" != "srgb(233,240,244)" ] || fail "$1: the tree still shows"
}

start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 2
normal=$(window_rect)

# From the normal window: enter with a double click, zap, leave with Esc.
n=$(log_lines)
click_at 60 "$(row_y 2)" 0.5
wait_for_request_after "$n" '^GET /__play\?page=1&' 20
double_click_video
wait_for_request_after "$n" '^GET /__play\?page=1&.*&fullscreen=1' 10
expect_rect "$whole" "full screen"
expect_screen_covered fullscreen_channel1

n=$(log_lines)
xdotool key Next
wait_for_request_after "$n" '^GET /channel/2\.html$'
wait_for_request_after "$n" '^GET /__play\?page=2&kind=hls&t=[0-9.]+&muted=0&paused=0' 20
sleep 1
expect_rect "$whole" "after PageDown"
expect_screen_covered fullscreen_channel2
n=$(log_lines)
xdotool key Prior
wait_for_request_after "$n" '^GET /channel/1\.html$'
expect_rect "$whole" "after PageUp"

xdotool key Escape
expect_rect "$normal" "after Esc"
sleep 1
kill -0 "$CLIENT_PID" 2>/dev/null || fail "Esc in full screen ended the program"
shot left_fullscreen_normal

# The page's own control (a second double click) leaves it too.
n=$(log_lines)
double_click_video
wait_for_request_after "$n" '^GET /__play\?page=1&.*&fullscreen=1' 10
expect_rect "$whole" "full screen again"
double_click_video
expect_rect "$normal" "after the page's own control"

# From the maximized window (the strip's maximize object): the same, back to maximized.
click_at $((4 + 800 - 52 + 10)) 17 1
maximized="0,0 ${SCREEN_W}x$((SCREEN_H - 28))"
expect_rect "$maximized" "maximized"
n=$(log_lines)
click_at 60 "$(row_y 4)" 0.5
wait_for_request_after "$n" '^GET /__play\?page=3&' 20
double_click_video
wait_for_request_after "$n" '^GET /__play\?page=3&.*&fullscreen=1' 10
expect_rect "$whole" "full screen from maximized"
n=$(log_lines)
xdotool key Next
wait_for_request_after "$n" '^GET /channel/4\.html$'
expect_rect "$whole" "zapped from maximized"
xdotool key Escape
expect_rect "$maximized" "back to maximized"
kill -0 "$CLIENT_PID" 2>/dev/null || fail "Esc in full screen ended the program"
shot left_fullscreen_maximized

# Outside full screen Esc closes the program, as it always has.
click_at 60 "$(row_y 0)" 0.5
xdotool key Escape
wait_for_exit 10
echo "PASS full screen"
