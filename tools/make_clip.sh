#!/bin/sh
# Makes the demo channels' looping clip: a few seconds of ffmpeg's test pattern with a moving
# timer, VP8 in WebM (played by QtWebEngine without proprietary codecs), small enough to commit.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/site/media/clip.webm"
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "testsrc=size=320x180:rate=15:duration=4" \
    -c:v libvpx -b:v 250k -deadline good -an -pix_fmt yuv420p \
    -metadata title="LXTV demo clip" "$out"
ls -l "$out"
