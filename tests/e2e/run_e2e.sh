#!/usr/bin/env bash
# End-to-end checks of the real program: run_e2e.sh SCENARIO TOMBLORA ARCHIVE_WRITER WINDOW_CLOSER
#   window-escape      the window's title and client size under X, then Escape ends the run with 0
#   window-close       the close request of a window manager ends the run with 0
#   missing-archive    in an empty folder: two ERROR boxes one after the other, both messages, exit 255
#   missing-offscreen  the same with the offscreen driver: no boxes, both messages, exit 255
#   missing-signal     in an empty folder: SIGTERM while the first ERROR box waits ends box and run, exit 255
# The X scenarios run themselves again inside a private Xvfb server.
set -uo pipefail

scenario=$1
tomblora=$2
writer=$3
closer=$4
title="Kestrova - Tomblora"
source "$(dirname "$0")/x11.sh"

fail() {
  echo "FAIL ($scenario): $*" >&2
  [ -f "${work:-}/stderr.txt" ] && sed 's/^/  tomblora stderr: /' "$work/stderr.txt" >&2
  exit 1
}

needs_x() {
  case $scenario in window-escape|window-close|missing-archive|missing-signal) return 0 ;; *) return 1 ;; esac
}

needs_x && in_private_x 120 1024x768 "$@"

export SDL_AUDIODRIVER=dummy
make_work
mkdir "$work/run"

start() {
  (cd "$work/run" && exec timeout 60 "$tomblora" >"$work/stdout.txt" 2>"$work/stderr.txt") &
  pid=$!
}

check_window() {
  find_window "$title" 30
  [ "$(xdotool getwindowname "$wid")" = "$title" ] || fail "title is \"$(xdotool getwindowname "$wid")\""
  check_client_size 320 240
}

case $scenario in
  window-escape)
    "$writer" "$work/run" || fail "cannot write the test archive"
    start
    check_window
    focus_window
    sleep 0.5
    xdotool key Escape
    wait_for_end
    [ "$code" = 0 ] || fail "exit code $code after Escape"
    ;;
  window-close)
    "$writer" "$work/run" || fail "cannot write the test archive"
    start
    check_window
    sleep 0.5
    "$closer" "$title" >/dev/null || fail "the window closer found no window"
    wait_for_end
    [ "$code" = 0 ] || fail "exit code $code after the close request"
    ;;
  missing-archive)
    start
    # Each box blocks the program: when a box is found, stderr holds its message and no later one; the
    # next box is looked for only once the program has gone on (its next message is out, or it ended).
    lines_at_box=()
    tries=0
    while kill -0 "$pid" 2>/dev/null; do
      tries=$((tries + 1))
      [ $tries -gt 300 ] && fail "the program did not end; boxes closed: ${#lines_at_box[@]}"
      "$closer" --find ERROR >/dev/null 2>&1 || { sleep 0.1; continue; }
      # The program is blocked on its box now, so its stderr holds still while it is counted.
      lines=$(wc -l <"$work/stderr.txt")
      "$closer" ERROR >/dev/null 2>&1 || fail "the ERROR box went away before it was closed"
      lines_at_box+=("$lines")
      while [ "$(wc -l <"$work/stderr.txt")" = "$lines" ] && kill -0 "$pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -gt 300 ] && fail "the program did not go on after its box was closed"
        sleep 0.1
      done
    done
    wait_for_end
    [ "${#lines_at_box[@]}" = 2 ] || fail "${#lines_at_box[@]} ERROR boxes instead of 2"
    [ "${lines_at_box[*]}" = "1 2" ] || fail "stderr held ${lines_at_box[*]} lines at the two boxes, not 1 and 2"
    [ "$code" = 255 ] || fail "exit code $code instead of 255"
    ;;
  missing-signal)
    start
    tries=0
    until "$closer" --find ERROR >/dev/null 2>&1; do
      tries=$((tries + 1))
      [ $tries -gt 300 ] && fail "no ERROR box"
      sleep 0.1
    done
    # timeout(1), which started the program, hands the signal on to it.
    kill -TERM "$pid"
    wait_for_end
    [ "$code" = 255 ] || fail "exit code $code instead of 255"
    ! "$closer" --find ERROR >/dev/null 2>&1 || fail "the ERROR box is still up"
    [ "$(cat "$work/stderr.txt")" = 'Resource file "tomblora.salad" not found' ] || fail "stderr is not the first message alone"
    ;;
  missing-offscreen)
    export SDL_VIDEODRIVER=offscreen
    unset DISPLAY WAYLAND_DISPLAY
    start
    wait_for_end
    [ "$code" = 255 ] || fail "exit code $code instead of 255"
    ;;
  *)
    fail "unknown scenario"
    ;;
esac

case $scenario in
  missing-archive|missing-offscreen)
    grep -qx 'Resource file "tomblora.salad" not found' "$work/stderr.txt" || fail "no message for the archive"
    grep -qx 'Resource "default.png" not found' "$work/stderr.txt" || fail "no message for default.png"
    first=$(grep -n 'Resource file' "$work/stderr.txt" | head -n 1 | cut -d: -f1)
    second=$(grep -n 'Resource "default.png"' "$work/stderr.txt" | head -n 1 | cut -d: -f1)
    [ "$first" -lt "$second" ] || fail "the messages came in the wrong order"
    ;;
esac
echo "PASS ($scenario)"
