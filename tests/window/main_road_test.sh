#!/usr/bin/env bash
# The main road in the real window: picking a channel in the tree opens its page, "更多影片"
# opens the site's home page, the header and a category open nothing, and the back button
# returns to the page before; the arrow keys and the right button open channels too.
source "$(dirname "$0")/lib.sh" "$@"

# Rows of the demo catalogue's tree as first shown (22 pixels each, from window y 91):
# 0 节目菜单, 1 央视频道 (expanded), 2 CCTV-1 综合 -> /channel/1.html, ... 7 卫视频道,
# 8 地方频道, 9 体育赛事 (expanded), 10..13 its channels, 14..17 categories, 18 更多影片.
start_with_tree

n=$(log_lines)
click_at 60 "$(row_y 2)" 1
wait_for_request '^GET /channel/1\.html$'
sleep 3
shot channel_playing

# The arrow key walks to the next channel and opens it; the right button selects and opens.
n=$(log_lines)
xdotool key Down
sleep 1
tail -n +"$((n + 1))" "$SITE_LOG" | grep -qE '^GET /channel/2\.html$' || fail "Down did not open the next channel"
n=$(log_lines)
xdotool mousemove --window "$WID" 60 "$(row_y 4)" sleep 0.1 click 3
sleep 1
tail -n +"$((n + 1))" "$SITE_LOG" | grep -qE '^GET /channel/3\.html$' || fail "right button did not open the channel"

n=$(log_lines)
click_at 40 "$(row_y 18)" 1
wait_for_request '^GET /$'

# The header and a category open nothing.
n=$(log_lines)
click_at 40 "$(row_y 0)"
click_at 40 "$(row_y 7)" 1.5
expect_no_request_after "$n" '^GET /'

# Back from the home page to the channel page shown before it.
n=$(log_lines)
click_at $((143 + 34 + 12)) $((85 + 4 + 12)) 1
for _ in $(seq 50); do
  tail -n +"$((n + 1))" "$SITE_LOG" | grep -qE '^GET /channel/3\.html$' && break
  sleep 0.1
done
tail -n +"$((n + 1))" "$SITE_LOG" | grep -qE '^GET /channel/3\.html$' || fail "back did not return to the channel page"
shot after_back
echo "PASS main road"
