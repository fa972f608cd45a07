#!/usr/bin/env bash
# The 200,000-channel catalogue in the real window: the whole tree arrives and stays usable.
# End reaches the last item ("更多影片", the site's home page); from there the last category,
# opened with the arrow key, shows its first channel, and picking it opens that channel's page.
source "$(dirname "$0")/lib.sh" "$@"

# Rows of the tree as first shown (22 pixels each, from window y 91): 0 节目菜单, then 分类00001,
# which the catalogue opens.
row_y() { echo $((91 + 11 + 22 * $1)); }

start_site --fault large
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 3  # the builder fills the tree
shot large_tree_top

# The header opens nothing; it gives the tree the keyboard.
click_at 40 "$(row_y 0)" 1
n=$(log_lines)
xdotool key End
wait_for_request '^GET /$' 10
shot large_tree_end

# Up: the last category, 分类10000 (closed, opens nothing); Right opens it, Down picks its first
# channel, 台01, the catalogue's 199,981st, which names /channel/1.html.
xdotool key Up
sleep 0.5
xdotool key Right
sleep 0.5
expect_no_request_after "$n" '^GET /channel/'
xdotool key Down
wait_for_request '^GET /channel/1\.html$' 10
tail -n +"$((n + 1))" "$SITE_LOG" | grep -qE '^GET /channel/1\.html$' || fail "the last category's first channel did not open"
sleep 1
shot large_tree_last_channel
echo "PASS large catalogue"
