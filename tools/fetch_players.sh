#!/bin/sh
# Fetches the web players the demo channel pages use, at pinned versions, from the npm registry
# with npm itself, and keeps their minified builds with their licences in site/vendor/ (which is
# committed, so the demo site needs no network). Run it again only to change a version.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
vendor="$here/site/vendor"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
npm pack --silent hls.js@1.5.20 mpegts.js@1.8.0 >/dev/null
mkdir hls mpegts
tar -xzf hls.js-1.5.20.tgz -C hls
tar -xzf mpegts.js-1.8.0.tgz -C mpegts
mkdir -p "$vendor"
cp hls/package/dist/hls.light.min.js "$vendor/hls.light.min.js"
cp hls/package/LICENSE "$vendor/hls.js-LICENSE.txt"
cp mpegts/package/dist/mpegts.js "$vendor/mpegts.min.js"
cp mpegts/package/LICENSE "$vendor/mpegts.js-LICENSE.txt"
printf 'hls.js 1.5.20 (dist/hls.light.min.js), Apache-2.0: hls.js-LICENSE.txt\nmpegts.js 1.8.0 (dist/mpegts.js), Apache-2.0: mpegts.js-LICENSE.txt\n' >"$vendor/VERSIONS.txt"
ls -l "$vendor"
