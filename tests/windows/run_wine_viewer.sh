#!/usr/bin/env bash
# The viewer options of the Windows program under Wine and a private 1280x720 Xvfb server:
#   run_wine_viewer.sh LINUX_BUILD WINDOWS_BUILD
# --window-scale 2 --start 2:30 gives a 640x480 window showing what tomblora-capture --scale 2 --at 150000
# shows (Space pressed at once, so the picture holds at its first moment); Home and Right then show the
# capture tool's frame at 5000 ms; F11 covers the screen with the picture between black bars; a bad option
# exits 2. The Linux build supplies tomblora-capture, the window reader and tomblora.salad.
set -uo pipefail

linux=$(realpath "$1")
windows=$(realpath "$2")
title="Kestrova - Tomblora"

if [ -z "${TOMBLORA_E2E_INNER:-}" ]; then
  TOMBLORA_E2E_INNER=1 exec timeout 300 xvfb-run -a -s "-screen 0 1280x720x24" "$BASH" "$0" "$@"
fi

fail() {
  echo "FAIL (wine viewer): $*" >&2
  exit 1
}

export WINEPREFIX=$windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LIBGL_ALWAYS_SOFTWARE=1
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wineserver -p
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null; wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/run"
ln -s "$linux/tomblora.salad" "$work/run/tomblora.salad"
picture=$linux/tomblora_e2e_window_picture

wine "$windows/tomblora.exe" --window-scale 9 >"$work/bad.txt" 2>&1
code=$?
[ "$code" = 2 ] || fail "--window-scale 9 exited with $code"
grep -q "give a whole number from 1 to 8" "$work/bad.txt" || fail "no reason given: $(cat "$work/bad.txt")"

(cd "$work/run" && SDL_AUDIODRIVER=dummy "$linux/tomblora-capture" --scale 2 --at 5000,150000 --out "$work/cap" \
  >/dev/null 2>&1) || fail "tomblora-capture could not render the reference frames"
(cd "$work/run" && exec timeout 120 wine "$windows/tomblora.exe" --window-scale 2 --start 2:30 >/dev/null 2>&1) &
pid=$!
wid=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
[ -n "$wid" ] || fail "no window titled \"$title\""
info=$(xwininfo -id "$wid")
grep -q "Width: 640$" <<<"$info" && grep -q "Height: 480$" <<<"$info" || fail "not a 640x480 window: $info"
timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
# Pressed while the program still starts up, Space pauses on the first moment it shows.
xdotool key space
sleep 3
"$picture" grab "$wid" "$work/start.ppm" || fail "cannot read the window"
"$picture" compare "$work/start.ppm" "$work/cap/frame-150000.png" 0.5 || fail "--start 2:30 is not the frame at 150000"
xdotool key Home
sleep 2
xdotool key Right
sleep 3
"$picture" grab "$wid" "$work/seek.ppm" || fail "cannot read the window"
"$picture" compare "$work/seek.ppm" "$work/cap/frame-005000.png" 0.5 || fail "Home, Right is not the frame at 5000"
xdotool key F11
sleep 2
"$picture" grab "$wid" "$work/full.ppm" || fail "cannot read the window"
"$picture" bars "$work/full.ppm" || fail "full screen is not the picture between black bars"
xdotool key Escape
tries=0
while kill -0 "$pid" 2>/dev/null; do
  tries=$((tries + 1))
  [ $tries -gt 300 ] && fail "the program did not end"
  sleep 0.1
done
wait "$pid" || fail "exit code $? after Escape"
echo "PASS (wine viewer: --window-scale 2, --start 2:30, Home, Right, F11, bad option)"
