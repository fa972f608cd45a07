#!/usr/bin/env bash
# Channel pages built the way providers build them play in the view with sound, without a
# click: an H.264/AAC MP4 in a plain <video>, HLS through hls.js and FLV through mpegts.js each
# report a position that advances, not muted and not paused. And the search box takes a click
# on its left part, where pathLabel lies above it.
source "$(dirname "$0")/lib.sh" "$@"


# Fails unless the page's reports since line $1 show it playing with sound: three or more,
# none muted or paused or with an error, the position moving on between two of them.
expect_playing() {
  local from=$1 page=$2 kind=$3 reports
  for _ in $(seq 200); do
    reports=$(log_after "$from" | grep -E "^GET /__play\?page=$page&" || true)
    [ "$(printf '%s\n' "$reports" | grep -c "kind=$kind&")" -ge 4 ] && break
    sleep 0.1
  done
  printf '%s\n' "$reports" | grep -q "kind=$kind&" || fail "page $page ($kind) never reported"
  if printf '%s\n' "$reports" | grep -qE "muted=1|paused=1|error="; then
    fail "page $page ($kind) is not playing with sound: $reports"
  fi
  printf '%s\n' "$reports" | sed -E 's/.*&t=([0-9.]+)&.*/\1/' |
    awk 'NR > 1 && $1 > prev { up = 1 } { prev = $1 } END { exit !up }' ||
    fail "page $page ($kind): the position does not advance: $reports"
  echo "ok page $page ($kind) plays with sound"
}

start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 2  # the builder fills the tree

n=$(log_lines)
click_at 60 "$(row_y 2)" 0.5
expect_playing "$n" 1 mp4
shot mp4_playing
n=$(log_lines)
xdotool key Down
expect_playing "$n" 2 hls
shot hls_playing
n=$(log_lines)
xdotool key Down
expect_playing "$n" 3 flv
shot flv_playing

# pathLabel spans middleBar x 71..453; after the layout the search box's edit starts at x 432,
# so its left 21 pixels lie under the label. middleBar stands at window x 143, y 85.
n=$(log_lines)
click_at $((143 + 440)) $((85 + 6 + 11)) 0.3
xdotool type --delay 80 "left"
click_at 771 102 0.3  # the search button
wait_for_request_after "$n" '^GET /search\.asp\?keyword=left$'
shot search_left_part
echo "PASS players"
