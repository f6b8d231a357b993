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

fail() {
  echo "FAIL ($scenario): $*" >&2
  [ -f "${work:-}/stderr.txt" ] && sed 's/^/  tomblora stderr: /' "$work/stderr.txt" >&2
  exit 1
}

needs_x() {
  case $scenario in window-escape|window-close|missing-archive|missing-signal) return 0 ;; *) return 1 ;; esac
}

if needs_x && [ -z "${TOMBLORA_E2E_INNER:-}" ]; then
  TOMBLORA_E2E_INNER=1 exec timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" "$BASH" "$0" "$@"
fi

export LIBGL_ALWAYS_SOFTWARE=1
export SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/run"

start() {
  (cd "$work/run" && exec timeout 60 "$tomblora" >"$work/stdout.txt" 2>"$work/stderr.txt") &
  pid=$!
}

# Waits up to 30 s for the program to end and sets code to its exit code.
finish() {
  local tries=0
  while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -gt 300 ] && fail "the program did not end"
    sleep 0.1
  done
  wait "$pid"
  code=$?
}

find_window() {
  timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

check_window() {
  wid=$(find_window "$title")
  [ -n "$wid" ] || fail "no window titled \"$title\""
  [ "$(xdotool getwindowname "$wid")" = "$title" ] || fail "title is \"$(xdotool getwindowname "$wid")\""
  local info
  info=$(xwininfo -id "$wid")
  grep -q "Width: 320$" <<<"$info" || fail "client width is not 320: $info"
  grep -q "Height: 240$" <<<"$info" || fail "client height is not 240: $info"
}

case $scenario in
  window-escape)
    "$writer" "$work/run" || fail "cannot write the test archive"
    start
    check_window
    timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
    sleep 0.5
    xdotool key Escape
    finish
    [ "$code" = 0 ] || fail "exit code $code after Escape"
    ;;
  window-close)
    "$writer" "$work/run" || fail "cannot write the test archive"
    start
    check_window
    sleep 0.5
    "$closer" "$title" >/dev/null || fail "the window closer found no window"
    finish
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
    finish
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
    finish
    [ "$code" = 255 ] || fail "exit code $code instead of 255"
    ! "$closer" --find ERROR >/dev/null 2>&1 || fail "the ERROR box is still up"
    [ "$(cat "$work/stderr.txt")" = 'Resource file "tomblora.salad" not found' ] || fail "stderr is not the first message alone"
    ;;
  missing-offscreen)
    export SDL_VIDEODRIVER=offscreen
    unset DISPLAY WAYLAND_DISPLAY
    start
    finish
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
