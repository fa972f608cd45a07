#!/usr/bin/env bash
# The window on a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2): the layout is the same in
# device-independent pixels, so every size and place is doubled on the screen; the big buttons
# with their captions and the window buttons are drawn from their @2x pictures, pixel for
# pixel, not from the small ones enlarged; and the window buttons answer where they are drawn.
SCREEN_W=2560
SCREEN_H=1600
source "$(dirname "$0")/lib.sh" "$@"
ASSETS="$(cd "$(dirname "$0")/../../assets" && pwd)"
export QT_SCALE_FACTOR=2

# Pixels that differ by more than a few levels between two pictures of the same size.
differing() { compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }

start_site
start_display
start_client
wait_for_request '^GET /LXTV\.ini'
sleep 2
# 800x600 centred on a screen of 1280x800 device-independent pixels.
left=480
top=200
expect_geometry $left $top 1600 1200
xdotool mousemove 5 5
sleep 0.5
shot hidpi
screen="$OUT/hidpi.png"

# Expects the screen's rectangle (device pixels, window-relative) to match the fine picture
# and not the coarse one; both are files of the rectangle's size.
expect_fine() {  # name x y w h fine coarse
  local name=$1 got="$OUT/$1-screen.png" fine coarse
  convert "$screen" -crop "$4x$5+$((left + $2))+$((top + $3))" +repage "$got"
  fine=$(differing "$got" "$6")
  coarse=$(differing "$got" "$7")
  echo "$name: $fine pixels differ from the @2x picture, $coarse from the 1x one enlarged"
  [ "$fine" -le $(($4 * $5 / 100)) ] || fail "$name is not drawn from its @2x picture ($fine pixels differ)"
  [ "$coarse" -ge $((4 * fine + 20)) ] || fail "$name looks as much like the 1x picture ($coarse)"
}

# The big buttons: 56x50 at (x, 29), their 58-pixel pictures clipped at the right; the caption
# is the lower part of each.
for b in siteHomeButton:5 dataSyncButton:281 aboutUsButton:626; do
  id=${b%%:*}
  x=${b##*:}
  convert "$ASSETS/buttons/$id@2x.gif" -crop 112x100+0+0 +repage "$OUT/$id-fine.png"
  convert "$ASSETS/buttons/$id.gif" -crop 56x50+0+0 +repage -filter point -resize 200% "$OUT/$id-coarse.png"
  expect_fine "$id" $((2 * x)) 58 112 100 "$OUT/$id-fine.png" "$OUT/$id-coarse.png"
  convert "$OUT/$id-fine.png" -crop 112x30+0+70 +repage "$OUT/$id-caption-fine.png"
  convert "$OUT/$id-coarse.png" -crop 112x30+0+70 +repage "$OUT/$id-caption-coarse.png"
  expect_fine "$id caption" $((2 * x)) 128 112 30 "$OUT/$id-caption-fine.png" "$OUT/$id-caption-coarse.png"
done

# The window buttons: strip objects at (W - 30, W - 52, W - 74; 7) in the strip, which starts
# 4 pixels right of the window's edge, drawn over the strip's own rows.
for o in closePicture:770 maximizePicture:748 minimizePicture:726; do
  name=${o%%:*}
  x=$((4 + ${o##*:}))
  convert "$ASSETS/panels/stripBackground@2x.gif" -crop 42x40+0+14 +repage \
    "$ASSETS/strip/$name@2x.png" -composite "$OUT/$name-fine.png"
  convert "$ASSETS/panels/stripBackground.gif" -crop 21x20+0+7 +repage \
    "$ASSETS/strip/$name.png" -composite -filter point -resize 200% "$OUT/$name-coarse.png"
  expect_fine "$name" $((2 * x)) 14 42 40 "$OUT/$name-fine.png" "$OUT/$name-coarse.png"
done

# The maximize object is hit where it is drawn, and the window then covers the screen less 28
# device-independent pixels; pressed again it restores 800x600, centred.
click_at $((2 * (4 + 748 + 10))) $((2 * 17)) 1
expect_geometry 0 0 $SCREEN_W $((SCREEN_H - 2 * 28))
shot hidpi_maximized
click_at $((SCREEN_W - 2 * (52 + 4 - 10))) $((2 * 17)) 1
expect_geometry $left $top 1600 1200
echo "PASS hidpi"
