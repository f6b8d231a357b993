#!/usr/bin/env bash
# End-to-end checks of the viewer keys and options on the real production, under a private 1280x720 X server:
#   viewer_e2e.sh SCENARIO TOMBLORA CAPTURE WINDOW_PICTURE ARCHIVE
#   keys     --fullscreen covers the screen with the picture between black bars; Space holds the picture;
#            Right (six times, into the title) shows what tomblora-capture --at shows for the new moment, in
#            full screen and, after F11, in the window; Space goes on
#   start    --start 2:00 --window-scale 2: a 640x480 window in the chase, as the capture tool draws it; Left
#            stops at 0 without ending the run. The chase, not the ledge: a ledge frame shows values written
#            at the frame before it, so a live ledge frame depends on the live frame rate.
#   plain    without options Space and Left change nothing
#   usage    bad options exit 2 with the reason
# The moment on the screen is read from the console lines, which the program writes to a terminal (script).
set -uo pipefail

scenario=$1
tomblora=$2
capture=$3
picture=$4
archive=$5
title="Kestrova - Tomblora"
source "$(dirname "$0")/x11.sh"

fail() {
  echo "FAIL ($scenario): $*" >&2
  exit 1
}

[ "$scenario" != usage ] && in_private_x 240 1280x720 "$@"

export SDL_AUDIODRIVER=dummy
make_work
mkdir "$work/run"
ln -s "$archive" "$work/run/tomblora.salad"

start() {
  local command="exec $tomblora"
  for arg in "$@"; do command+=" $(printf '%q' "$arg")"; done
  (cd "$work/run" && exec script -qfec "$command" "$work/console.txt" >/dev/null 2>&1 </dev/null) &
  pid=$!
  find_window "$title"
  focus_window
}

geometry() {
  xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                             /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}'
}

# The moment of the last frame written to the console.
moment() { grep -aoE '  [0-9]+  ' "$work/console.txt" | tail -n 1 | tr -dc 0-9; }

wait_for_moment() {
  local tries=0
  while [ "$(moment)" != "$1" ]; do
    tries=$((tries + 1))
    [ $tries -gt 300 ] && fail "the screen never showed $1 ms (last: $(moment))"
    sleep 0.1
  done
  sleep 0.5
}

grab() { "$picture" grab "$wid" "$work/$1.ppm" || fail "cannot read the window's pixels"; }

# Compares the window with the capture tool's frame of the moment at the window's size.
matches_capture() {
  local ms=$1 size=$2
  (cd "$work/run" && "$capture" --at "$ms" --size "$size" --out "$work/cap" >/dev/null 2>&1) ||
    fail "tomblora-capture --at $ms failed"
  grab seek
  "$picture" compare "$work/seek.ppm" "$work/cap/frame-$(printf %06d "$ms").png" 0.5 ||
    fail "the window at $ms ms differs from tomblora-capture --at $ms --size $size"
}

pause_here() {
  local tries=0
  until [ -n "$(moment)" ]; do
    tries=$((tries + 1))
    [ $tries -gt 300 ] && fail "no moment on the console"
    sleep 0.1
  done
  xdotool key space
  sleep 0.5
  paused=$(moment)
  [ -n "$paused" ] || fail "no moment on the console"
}

finish() {
  xdotool key Escape
  wait_for_end
  [ "$code" = 0 ] || fail "exit code $code after Escape"
}

case $scenario in
  keys)
    start --fullscreen
    [ "$(geometry)" = "1280x720+0+0" ] || fail "full screen gave $(geometry)"
    sleep 2
    grab full
    "$picture" bars "$work/full.ppm" || fail "no picture between black bars"
    pause_here
    grab held1
    sleep 1
    grab held2
    cmp -s "$work/held1.ppm" "$work/held2.ppm" || fail "the picture moved while paused"
    # Six steps forward, out of the field into the title: the field's crane offset is written only in its
    # first half second, so a live field frame keeps a trace of the frame times then; the title is drawn from
    # the moment alone.
    for _ in $(seq 6); do xdotool key Right; done
    wait_for_moment $((paused + 30000))
    matches_capture $((paused + 30000)) 1280x720
    xdotool key F11
    sleep 1
    [ "$(geometry)" = "320x240+480+240" ] || fail "F11 gave $(geometry), not the 320x240 window"
    matches_capture $((paused + 30000)) 320x240
    xdotool key space
    sleep 1
    [ "$(moment)" -gt $((paused + 30500)) ] || fail "Space did not go on ($(moment))"
    finish
    ;;
  start)
    start --start 2:00 --window-scale 2
    [ "$(geometry)" = "640x480+320+120" ] || fail "--window-scale 2 gave $(geometry)"
    pause_here
    [ "$paused" -ge 120000 ] && [ "$paused" -lt 130000 ] || fail "--start 2:00 showed $paused ms"
    matches_capture "$paused" 640x480
    for _ in $(seq 32); do xdotool key Left; done
    wait_for_moment 0
    kill -0 "$pid" 2>/dev/null || fail "seeking back past the start ended the run"
    finish
    ;;
  plain)
    start
    sleep 2
    before=$(moment)
    xdotool key space Left Left Home
    sleep 1.5
    [ "$(moment)" -gt $((before + 1000)) ] || fail "the keys changed the clock: $before, then $(moment) ms"
    finish
    ;;
  usage)
    for bad in "--window-scale 9" "--window-scale" "--start 3:00" "--start 1:75" "--fullscreen --bogus"; do
      # shellcheck disable=SC2086
      "$tomblora" $bad >"$work/out.txt" 2>&1
      code=$?
      [ "$code" = 2 ] || fail "'$bad' exited with $code, not 2"
      grep -q "^tomblora: " "$work/out.txt" || fail "'$bad' gave no reason: $(cat "$work/out.txt")"
    done
    ;;
  *)
    fail "unknown scenario"
    ;;
esac
echo "PASS ($scenario)"
