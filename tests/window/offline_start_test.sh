#!/usr/bin/env bash
# Start-up with the provider's site unreachable: the window still appears; without a local
# copy the tree holds only its two fixed items, and a local copy from an earlier run is kept
# as it was and still fills the tree.
source "$(dirname "$0")/lib.sh" "$@"

local_copy="$(dirname "$LXTV_BIN")/LXTV.ini"
start_display

rm -f "$local_copy"
start_client
sleep 2
[ -e "$local_copy" ] && fail "a failed download wrote a local copy"
shot offline_no_copy
xdotool key Escape
wait "$CLIENT_PID" || fail "exit code $?"

cp "$SITE_ROOT/LXTV.ini" "$local_copy"
start_client
sleep 2
cmp "$local_copy" "$SITE_ROOT/LXTV.ini" || fail "the previous local copy was not kept"
shot offline_previous_copy
echo "PASS offline start"
