#!/bin/sh
# Makes the demo channels' media with Debian's ffmpeg: four seconds of the test pattern with a
# moving timer and a tone, H.264 with AAC, as providers serve them today: an MP4 file, the same
# as an HLS stream (a playlist and one-second MPEG-TS segments) and as an FLV stream. Also the
# client package that the online-upgrade page offers for download. Small enough to commit; run
# it again only to change them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
media="$here/site/media"
files="$here/site/files"
mkdir -p "$media/hls" "$files"
quiet="-hide_banner -loglevel error -y"

ffmpeg $quiet \
    -f lavfi -i "testsrc=size=320x180:rate=15:duration=4" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=4" \
    -c:v libx264 -profile:v baseline -preset veryfast -b:v 200k -g 15 -pix_fmt yuv420p \
    -c:a aac -b:a 64k -shortest -movflags +faststart -map_metadata -1 -fflags +bitexact \
    "$media/clip.mp4"
rm -f "$media/hls/"*
ffmpeg $quiet -i "$media/clip.mp4" -c copy -f hls -hls_time 1 -hls_list_size 0 \
    -hls_segment_filename "$media/hls/seg%d.ts" "$media/hls/clip.m3u8"
ffmpeg $quiet -i "$media/clip.mp4" -c copy -flvflags add_keyframe_index -f flv "$media/clip.flv"

# The "new version" of the client: a real archive of 192 KiB that the engine cannot show.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/lxtv-1.0.1"
printf 'LXTV 1.0.1 demo package: not a real client.\n' >"$work/lxtv-1.0.1/README"
head -c 196608 /dev/urandom >"$work/lxtv-1.0.1/payload.bin"
tar -C "$work" --owner=0 --group=0 --mtime=2024-01-01 -cf - lxtv-1.0.1 | gzip -n >"$files/lxtv-1.0.1.tar.gz"
ls -l "$media" "$media/hls" "$files"
