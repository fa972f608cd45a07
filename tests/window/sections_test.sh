#!/usr/bin/env bash
# The top row's section buttons and the search against the demo site: each click requests
# exactly its page, and the search keyword arrives as the code page 936 bytes typed, escaped.
# The installer and the support chat request nothing and leave the window as it was.
source "$(dirname "$0")/lib.sh" "$@"

# Places in window coordinates: the big buttons' centres on the top row, the search box and
# its button in the middle bar.
ROW_Y=54
SEARCH_EDIT_X=660
SEARCH_Y=102
SEARCH_BUTTON_X=771

# Another run's site on the same port would answer in our place and keep its own log.
for _ in $(seq 300); do
  (exec 3<>/dev/tcp/127.0.0.1/8168) 2>/dev/null || break
  sleep 0.5
done
(exec 3<>/dev/tcp/127.0.0.1/8168) 2>/dev/null && fail "port 8168 is taken by another server"
start_site
start_display
install_stub_opener
rm -f "$(dirname "$LXTV_BIN")/QvodInstall.exe"
start_client
wait_for_request '^GET /LXTV\.ini' 30
wait_for_request '^GET /style\.css' 30
sleep 2
shot sections-start

# Pages of the site, not the style sheet and media they pull in.
pages_after() { tail -n +"$(($1 + 1))" "$SITE_LOG" | grep -vE '^GET /(style\.css|media/|favicon)' || true; }

# Clicks at (x, y) and expects exactly one page request, the given target, to follow.
expect_page() {
  local x=$1 y=$2 target=$3 name=$4 from
  from=$(log_lines)
  click_at "$x" "$y" 0.1
  for _ in $(seq 200); do
    pages_after "$from" | grep -qxF "GET $target" && break
    sleep 0.1
  done
  sleep 0.5
  local got
  got=$(pages_after "$from")
  [ "$got" = "GET $target" ] || fail "$name: expected 'GET $target', the site saw: '$got'"
  echo "ok $name -> $target"
}

expect_page $((5 + 28)) $ROW_Y "/" siteHome
expect_page $((5 + 28)) $ROW_Y "/" "siteHome again"
expect_page $((74 + 28)) $ROW_Y "/listbytype.asp?type_id=20&ranks=3" latestPicks
expect_page $((143 + 28)) $ROW_Y "/listbytype.asp?type_id=20&ranks=2" hotRanking
expect_page $((212 + 28)) $ROW_Y "/listbytype.asp?type_id=20&ranks=1" recentUpdates
expect_page $((419 + 28)) $ROW_Y "/news.asp?id=2" onlineUpgrade
expect_page $((488 + 28)) $ROW_Y "/Gbook.asp" feedback
expect_page $((626 + 28)) $ROW_Y "/news.asp?id=3" aboutUs
shot sections-about

# Replaces the search box's text with what xdotool types. xdotool maps a spare key for each
# character outside the keyboard map, and the client can miss the first one of those while the
# new map arrives; the text is typed once to warm the map, cleared, and typed again.
type_search() {
  click_at $SEARCH_EDIT_X $SEARCH_Y 0.1
  xdotool key --window "$WID" ctrl+a BackSpace
  if [ -n "$1" ]; then
    xdotool type --delay 100 "$1"
    xdotool key --window "$WID" ctrl+a BackSpace
    xdotool type --delay 100 "$1"
  fi
  sleep 0.3
}

type_search ""
expect_page $SEARCH_BUTTON_X $SEARCH_Y "/search.asp?keyword=" "empty search"
type_search "Tom & Jerry"
expect_page $SEARCH_BUTTON_X $SEARCH_Y "/search.asp?keyword=Tom%20%26%20Jerry" "search with spaces and &"
shot sections-search-ascii
type_search "电视 C#"
# 电视 in code page 936 is B5E7 CAD3.
expect_page $SEARCH_BUTTON_X $SEARCH_Y "/search.asp?keyword=%B5%E7%CA%D3%20C%23" "Chinese search"
sleep 1
shot sections-search-chinese

# Installer (none beside the program) and support chat: each goes to the desktop's opener, no
# page is requested, no message or window appears, and the window stays where it was.
geometry=$(xdotool getwindowgeometry "$WID")
windows=$(xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l)
from=$(log_lines)
click_at $((350 + 28)) $ROW_Y 1
click_at $((557 + 28)) $ROW_Y 1
[ -z "$(pages_after "$from")" ] || fail "installer or chat requested a page: $(pages_after "$from")"
installer="file://$(cd "$(dirname "$LXTV_BIN")" && pwd)/QvodInstall.exe"
chat='tencent://message/\?uin=[0-9]+&Site=%E5%B2%9A%E6%B1%90%E7%BD%91%E7%BB%9C%E7%94%B5%E8%A7%86&Menu=yes'
for _ in $(seq 50); do [ "$(wc -l <"$OPENED")" -ge 2 ] && break; sleep 0.1; done
[ "$(sed -n 1p "$OPENED")" = "$installer" ] || fail "opener got '$(sed -n 1p "$OPENED")', not $installer"
sed -n 2p "$OPENED" | grep -qxE "$chat" || fail "opener got '$(sed -n 2p "$OPENED")' for the chat"
[ "$(wc -l <"$OPENED")" -eq 2 ] || fail "opener called more than twice: $(cat "$OPENED")"
[ "$(xdotool getwindowgeometry "$WID")" = "$geometry" ] || fail "window moved or resized"
[ "$(xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l)" = "$windows" ] \
  || fail "a new window appeared"
kill -0 "$CLIENT_PID" || fail "client ended"
shot sections-end
echo "PASS sections"
