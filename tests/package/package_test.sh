#!/usr/bin/env bash
# The client as a desktop application: `cmake --install` into a staging folder gives exactly the
# program, its desktop entry, metainfo and icons, and they pass their validators; `cpack -G DEB`
# gives a package of those files whose dependencies come from the binary. In CI (root,
# CI=true) the package is also installed, the menu entry's command is started as an ordinary
# user against the demo site, the catalogue copy lands in that user's data folder as served and
# fills the tree, and the package is removed again.
# Args: build folder, source folder, demo-site binary, site folder, output folder.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SOURCE=$(cd "$2" && pwd)
OUT=$(realpath -m "$5")
rm -rf "$OUT"
mkdir -p "$OUT"
source "$SOURCE/tests/window/lib.sh" "$BUILD/lxtv" "$3" "$4" "$OUT"

APP_ID=$(sed -n 's/^set(LXTV_APP_ID "\(.*\)")$/\1/p' "$SOURCE/CMakeLists.txt")
[ -n "$APP_ID" ] || fail "no application id in CMakeLists.txt"
ICON_SIZES="32 48 64 96 128 256"

# --- staging install -------------------------------------------------------------------------
STAGE="$OUT/stage"
cmake --install "$BUILD" --prefix "$STAGE" >"$OUT/install.log"
expected() {
  echo bin/lxtv
  echo "share/applications/$APP_ID.desktop"
  echo "share/metainfo/$APP_ID.metainfo.xml"
  for s in $ICON_SIZES; do echo "share/icons/hicolor/${s}x${s}/apps/$APP_ID.png"; done
}
(cd "$STAGE" && find . -type f | sed 's|^\./||' | sort) >"$OUT/staged.txt"
expected | sort >"$OUT/expected.txt"
diff -u "$OUT/expected.txt" "$OUT/staged.txt" || fail "the install holds other files than the client's"
[ -x "$STAGE/bin/lxtv" ] || fail "bin/lxtv is not executable"

desktop="$STAGE/share/applications/$APP_ID.desktop"
metainfo="$STAGE/share/metainfo/$APP_ID.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = lxtv ] || fail "Exec: $(entry Exec)"
[ "$(entry Icon)" = "$APP_ID" ] || fail "Icon: $(entry Icon)"
[ "$(entry Name)" = "岚汐网络电视" ] || fail "Name: $(entry Name)"
[ -n "$(entry 'Name\[en\]')" ] || fail "no English name"
for c in AudioVideo TV; do entry Categories | tr ';' '\n' | grep -qx "$c" || fail "category $c missing"; done
grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo" \
  || fail "the metainfo does not launch the desktop entry"
for s in $ICON_SIZES; do
  icon="$STAGE/share/icons/hicolor/${s}x${s}/apps/$APP_ID.png"
  file -b "$icon" | grep -q "PNG image data, $s x $s, 8-bit/color RGBA" \
    || fail "icon $s: $(file -b "$icon")"
done
echo "ok staged install: $(wc -l <"$OUT/staged.txt") files, entry and metainfo valid, icons $ICON_SIZES"

# --- the Debian package ----------------------------------------------------------------------
(cd "$BUILD" && cpack -G DEB -B "$OUT/deb" >"$OUT/cpack.log") || fail "cpack: $(tail -5 "$OUT/cpack.log")"
deb=$(ls "$OUT"/deb/lxtv_*.deb)
dpkg-deb -c "$deb" | tee "$OUT/deb-contents.txt"
dpkg-deb -f "$deb" Package Version Architecture Maintainer Depends Recommends Description \
  | tee "$OUT/deb-control.txt"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort >"$OUT/deb-files.txt"
diff -u "$OUT/expected.txt" "$OUT/deb-files.txt" || fail "the package holds other files than the install"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6webenginewidgets6 libqt6webenginecore6-bin libqt6multimedia6 libcurl4 libpng16-16 \
         fonts-wqy-microhei; do
  echo "$depends" | tr ',' '\n' | grep -qE "^ *$p( |$)" || fail "Depends lacks $p: $depends"
done
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
echo "ok package $(basename "$deb")"

if [ "${CI:-}" != true ] || [ "$(id -u)" -ne 0 ]; then
  echo "PASS package (installing it and the ordinary user's run happen in CI, as root)"
  exit 0
fi

# --- CI: install, run as an ordinary user, remove ----------------------------------------------
dpkg-query -W -f='${Status}' lxtv 2>/dev/null | grep -q 'install ok installed' \
  && fail "an lxtv package is installed already; not touching it"
VIEWER=lxtv-viewer
made_user=false
installed=false
_package_cleanup() {
  _cleanup
  if $installed; then
    apt-get remove -y -qq -o DPkg::Lock::Timeout=300 lxtv >/dev/null 2>&1 || true
  fi
  if $made_user; then userdel -r "$VIEWER" >/dev/null 2>&1 || true; fi
}
trap _package_cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
installed=true
# What the package needs is on the machine already (the build needs more); its recommendations
# would be fetched from the network, which the test neither has nor needs.
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$deb" \
  >"$OUT/apt-install.log" 2>&1 \
  || fail "apt-get install: $(tail -5 "$OUT/apt-install.log")"
[ -x /usr/bin/lxtv ] || fail "no /usr/bin/lxtv after the install"
installed_entry="/usr/share/applications/$APP_ID.desktop"
command=$(sed -n 's/^Exec=//p' "$installed_entry")
echo "ok installed; the menu entry starts: $command"

if ! id "$VIEWER" >/dev/null 2>&1; then
  useradd --create-home --shell /bin/sh "$VIEWER"
  made_user=true
fi
home=$(getent passwd "$VIEWER" | cut -d: -f6)
copy="$home/.local/share/lxtv/LXTV.ini"
rm -rf "$home/.local/share/lxtv"

start_site
start_display
# As the viewer would start it: no sandbox switch, no variable of the test's, the command of the
# menu entry found on the ordinary path.
runuser -u "$VIEWER" -- env -i HOME="$home" USER="$VIEWER" LOGNAME="$VIEWER" DISPLAY="$DISPLAY" \
  PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu \
  sh -c "cd && exec $command" >"$OUT/client.log" 2>&1 &
CLIENT_PID=$!
_pids+=($CLIENT_PID)
for _ in $(seq 300); do
  WID=$(xdotool search --onlyvisible --name "$TITLE" 2>/dev/null | head -n 1 || true)
  [ -n "$WID" ] && break
  kill -0 "$CLIENT_PID" 2>/dev/null || fail "client exited early: $(tail -5 "$OUT/client.log")"
  sleep 0.1
done
[ -n "$WID" ] || fail "client window did not appear"
wait_for_request '^GET /LXTV\.ini' 30
pgrep -u "$VIEWER" -x lxtv >/dev/null || fail "the client does not run as $VIEWER"
for _ in $(seq 50); do [ -s "$copy" ] && break; sleep 0.1; done
cmp "$copy" "$SITE_ROOT/LXTV.ini" || fail "the copy in $copy differs from the served catalogue"
[ "$(stat -c %U "$copy")" = "$VIEWER" ] || fail "the copy belongs to $(stat -c %U "$copy")"
[ -e /usr/bin/LXTV.ini ] && fail "a copy appeared beside the installed program"
# The browser engine keeps its sandbox for an ordinary user: nothing switched it off, and it
# found one to use.
grep -qE -- "(^|[^-])no-sandbox" "$OUT/client.log" && fail "the browser engine ran without its sandbox"
grep -q "No usable sandbox" "$OUT/client.log" && fail "the browser engine found no sandbox"
sleep 2
shot installed_start
# The tree came from that copy: the first channel of the demo catalogue opens its page.
click_at 60 $((91 + 11 + 22 * 2)) 1
wait_for_request '^GET /channel/1\.html$' 20
sleep 2
shot installed_channel
xdotool key Escape
for _ in $(seq 50); do kill -0 "$CLIENT_PID" 2>/dev/null || break; sleep 0.1; done

apt-get remove -y -qq -o DPkg::Lock::Timeout=300 lxtv >"$OUT/apt-remove.log" 2>&1 || fail "apt-get remove"
installed=false
[ -e /usr/bin/lxtv ] && fail "/usr/bin/lxtv is still there after the removal"
dpkg-query -W -f='${Status}' lxtv 2>/dev/null | grep -q 'install ok installed' && fail "still installed"
echo "ok ordinary user $VIEWER: catalogue copy in $copy, tree opens channels; package removed"
echo "PASS package"
