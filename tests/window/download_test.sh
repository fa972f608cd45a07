#!/usr/bin/env bash
# Downloads in the real window: a link to a file the view cannot show asks where to save it,
# in the Downloads folder with the server's file name; the file saved is the file served and a
# message says so; a slow download shows its progress in the bottom bar and, cancelled there,
# leaves no file; a download the server breaks off says it failed and leaves no file.
source "$(dirname "$0")/lib.sh" "$@"

export HOME="$OUT/home"
rm -rf "$HOME"
mkdir -p "$HOME/Downloads" "$OUT/saved"
SERVED="$SITE_ROOT/files/lxtv-1.0.1.tar.gz"
# The online-upgrade page's three download links, in window coordinates.
LINK_X=300
WHOLE_Y=367
SLOW_Y=420
BROKEN_Y=473

# Answers the save dialog with a path (empty: take what it proposes).
save_as() {
  local dialog
  dialog=$(wait_for_window '^保存文件$')
  sleep 0.5
  shot "dialog_$2"
  if [ -n "$1" ]; then
    xdotool key ctrl+a
    xdotool type --delay 30 "$1"
  fi
  xdotool key Return
}
# Waits for the message box, keeps a screenshot, closes it.
answer_message() {
  wait_for_window '^LXTV：温馨提示$' 90 >/dev/null
  sleep 0.5
  shot "message_$1"
  xdotool key Return
  sleep 0.5
}

start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 2
n=$(log_lines)
click_at $((419 + 28)) 54 0.3
wait_for_request_after "$n" '^GET /news\.asp\?id=2$'
sleep 1.5
shot upgrade_page

# The whole package, saved where the dialog proposes: Downloads, the server's file name.
click_at $LINK_X $WHOLE_Y 0.3
save_as "" whole
answer_message done
cmp "$SERVED" "$HOME/Downloads/lxtv-1.0.1.tar.gz" || fail "the file saved is not the file served"
[ -z "$(ls "$HOME/Downloads" | grep -v '^lxtv-1.0.1.tar.gz$')" ] || fail "more files: $(ls "$HOME/Downloads")"

# The slow line: the bottom bar shows the progress; its cancel button ends it, no file stays.
click_at $LINK_X $SLOW_Y 0.3
save_as "$OUT/saved/slow.tar.gz" slow
sleep 2
shot progress
# The bar stands at the bottom bar's right end; its cancel button at the far right.
click_at 765 588 1
sleep 1
shot cancelled
expect_no_window '^LXTV：温馨提示$'
[ -z "$(ls -A "$OUT/saved")" ] || fail "the cancelled download left: $(ls -A "$OUT/saved")"

# The broken line: a message says it failed, and no file stays.
click_at $LINK_X $BROKEN_Y 0.3
save_as "$OUT/saved/broken.tar.gz" broken
answer_message failed
sleep 0.5
[ -z "$(ls -A "$OUT/saved")" ] || fail "the failed download left: $(ls -A "$OUT/saved")"
kill -0 "$CLIENT_PID" || fail "client ended"
echo "PASS downloads"
