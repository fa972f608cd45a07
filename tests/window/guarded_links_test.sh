#!/usr/bin/env bash
# Addresses from the catalogue and links in pages, in the real window: only the support chat's
# "tencent" link reaches the desktop's opener (a stub xdg-open that logs what it gets); a
# catalogue channel of another application's scheme or a local file opens nothing and the page
# shown stays; a target="_blank" link and a window.open from a click open in the view itself,
# Back returns to the page before, and the popup a page tries on its own stays blocked; a page
# that opens dialog after dialog gets three, and the program still ends with Esc.
source "$(dirname "$0")/lib.sh" "$@"

# Bands of the new-window page, a quarter of the view's height each; the view stands at window
# x 143, y 115 and is 461 pixels high.
band_y() { echo $((115 + 461 * (2 * $1 + 1) / 8)); }
BACK_X=$((143 + 34 + 12))
BACK_Y=$((85 + 4 + 12))

stub_opener

start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 2

# The support chat button: the tencent link goes to the opener.
click_at $((557 + 28)) 54 1
for _ in $(seq 50); do [ -s "$OPENED" ] && break; sleep 0.1; done
grep -qE '^tencent://message/\?uin=[0-9]+&Site=' "$OPENED" || fail "the opener got '$(cat "$OPENED")'"

# The last category holds the test channels; walk up to them from "更多影片" with the keys.
n=$(log_lines)
click_at 40 "$(row_y 17)" 0.3
xdotool key Right End
wait_for_request_after "$n" '^GET /$'
sleep 1

# 连环弹窗: three dialogs, each answered with Return, then no more.
n=$(log_lines)
xdotool key Up
wait_for_request_after "$n" '^GET /alerts\.html$'
for i in 1 2 3; do
  wait_for_window 'Alert' 15 >/dev/null
  shot "alert_$i"
  xdotool key Return
  sleep 0.5
done
wait_for_request_after "$n" '^GET /__play\?page=alerts&done=50$' 15
sleep 0.5
expect_no_window 'Alert'
shot after_alerts

# 本地节目 (file:///etc/passwd) and 外部节目 (ssh://): nothing opened, nothing requested.
n=$(log_lines)
xdotool key Up
sleep 1
xdotool key Up
sleep 2
[ -z "$(log_after "$n" | grep -v '^GET /__play')" ] || fail "a refused channel requested: $(log_after "$n")"
shot refused_channels

# 精彩推荐: the page's own popup is blocked; the link and the button open here.
n=$(log_lines)
xdotool key Up
wait_for_request_after "$n" '^GET /popup\.html$'
sleep 1.5
shot popup_page
n=$(log_lines)
click_at 400 "$(band_y 0)" 0.5
wait_for_request_after "$n" '^GET /channel/2\.html\?via=blank$'
shot opened_blank_target
n=$(log_lines)
click_at $BACK_X $BACK_Y 0.5
wait_for_request_after "$n" '^GET /popup\.html$'
sleep 1.5
n=$(log_lines)
click_at 400 "$(band_y 1)" 0.5
wait_for_request_after "$n" '^GET /channel/3\.html\?via=open$'
n=$(log_lines)
click_at $BACK_X $BACK_Y 0.5
wait_for_request_after "$n" '^GET /popup\.html$'
sleep 1.5

# A link of another application's scheme inside the page does nothing; the chat link opens.
n=$(log_lines)
click_at 400 "$(band_y 2)" 1
click_at 400 "$(band_y 3)" 1
for _ in $(seq 50); do [ "$(wc -l <"$OPENED")" -ge 2 ] && break; sleep 0.1; done
[ "$(sed -n 2p "$OPENED")" = "tencent://message/?uin=800012345&Site=demo&Menu=yes" ] ||
  fail "the opener got '$(sed -n 2p "$OPENED")' for the page's chat link"
[ -z "$(log_after "$n" | grep -v '^GET /__play')" ] || fail "a page link requested: $(log_after "$n")"

grep -qE 'ssh:|steam:|file:' "$OPENED" && fail "a foreign scheme reached the opener: $(cat "$OPENED")"
[ "$(wc -l <"$OPENED")" -eq 2 ] || fail "the opener got more than the two chat links: $(cat "$OPENED")"
grep -q 'via=unasked' "$SITE_LOG" && fail "the page's own popup was opened"
shot links_end

# The page is still the viewer's: Esc on the tree ends the program.
click_at 40 "$(row_y 0)" 0.3
xdotool key Escape
wait_for_exit 10
echo "PASS guarded links"
