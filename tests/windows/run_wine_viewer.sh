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
source "$(dirname "$0")/../e2e/x11.sh"
in_private_x 300 1280x720 "$@"

fail() {
  echo "FAIL (wine viewer): $*" >&2
  exit 1
}

make_work
start_wine "$windows"
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
find_window "$title"
check_client_size 640 480
focus_window
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
wait_for_end
[ "$code" = 0 ] || fail "exit code $code after Escape"
echo "PASS (wine viewer: --window-scale 2, --start 2:30, Home, Right, F11, bad option)"
