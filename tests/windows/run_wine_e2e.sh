#!/usr/bin/env bash
# The Windows programs under Wine and a private Xvfb server: run_wine_e2e.sh LINUX_BUILD WINDOWS_BUILD
#   salad.exe verify and list on the archive the Linux build made;
#   tomblora.exe on the small test production: the window's title and 320 x 240 client area, a pixel of its
#   picture against the Linux build's frame, Escape and the close box each ending with 0;
#   tomblora.exe in an empty folder: the "ERROR" boxes, dismissed here, and exit code 255.
# The Linux build supplies the test archive writer, the window closer, tomblora-capture and tomblora.salad.
set -uo pipefail

linux=$(realpath "$1")
windows=$(realpath "$2")
title="Kestrova - Tomblora"
source "$(dirname "$0")/../e2e/x11.sh"
in_private_x 240 1024x768 "$@"

fail() {
  echo "FAIL (wine $scenario): $*" >&2
  [ -f "${work:-}/stderr.txt" ] && sed 's/^/  tomblora.exe stderr: /' "$work/stderr.txt" | tail -n 5 >&2
  exit 1
}

make_work
start_wine "$windows"

# Output goes to files: Wine's helper processes keep a pipe open long after the program has ended.
scenario=salad
wine "$windows/salad.exe" verify "$linux/tomblora.salad" >"$work/salad.txt" 2>&1 || fail "verify: $(cat "$work/salad.txt")"
grep -q "ok, .* entries" "$work/salad.txt" || fail "verify said: $(cat "$work/salad.txt")"
wine "$windows/salad.exe" list "$linux/tomblora.salad" >"$work/salad.txt" 2>&1 || fail "list: $(cat "$work/salad.txt")"
grep -q "^soundtrack.ogg " "$work/salad.txt" || fail "list has no soundtrack.ogg: $(cat "$work/salad.txt")"

start() {
  (cd "$1" && exec timeout 90 wine "$windows/tomblora.exe" >"$work/stdout.txt" 2>"$work/stderr.txt") &
  pid=$!
}

# Red, green and blue of pixel (x, y) of a 320 x 240 picture: a PNG file, or the X screen at +X,Y.
pixel() {
  local input=(-i "$1")
  [ "$#" = 4 ] && input=(-f x11grab -draw_mouse 0 -video_size 320x240 -i "$DISPLAY+$1,$2")
  ffmpeg -loglevel quiet "${input[@]}" -frames:v 1 -f rawvideo -pix_fmt rgb24 - 2>/dev/null |
    od -An -tu1 -v -w3 -j $(((${*: -1} * 320 + ${*: -2:1}) * 3)) -N3
}

mkdir "$work/run" "$work/empty"
"$linux/tomblora_e2e_write_archive" "$work/run" || fail "cannot write the test archive"
# The loading screen and the first part show the same background all over the top left corner.
(cd "$work/run" && "$linux/tomblora-capture" --at 1000 --out "$work/linux" >/dev/null 2>&1) ||
  fail "tomblora-capture could not render the reference frame"
reference=$(pixel "$(ls "$work"/linux/*.png | head -n 1)" 8 8)

for scenario in escape close; do
  start "$work/run"
  find_window "$title"
  check_client_size 320 240
  sleep 1
  if [ "$scenario" = escape ]; then
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    seen=$(pixel "$x" "$y" 8 8)
    read -r r1 g1 b1 <<<"$reference"
    read -r r2 g2 b2 <<<"$seen"
    for d in $((r1 - r2)) $((g1 - g2)) $((b1 - b2)); do
      [ "${d#-}" -le 4 ] || fail "pixel (8, 8) is $seen under Wine, $reference on Linux"
    done
    focus_window
    xdotool key Escape
  else
    "$linux/tomblora_e2e_close_window" "$title" >/dev/null || fail "the window closer found no window"
  fi
  wait_for_end
  [ "$code" = 0 ] || fail "exit code $code"
done

scenario=empty-folder
start "$work/empty"
boxes=0
tries=0
while kill -0 "$pid" 2>/dev/null; do
  tries=$((tries + 1))
  [ $tries -gt 600 ] && fail "the program did not end; boxes closed: $boxes"
  if "$linux/tomblora_e2e_close_window" ERROR >/dev/null 2>&1; then
    boxes=$((boxes + 1))
    # Counted once: the box may take a moment to go.
    for _ in $(seq 50); do
      "$linux/tomblora_e2e_close_window" --find ERROR >/dev/null 2>&1 || break
      sleep 0.1
    done
  fi
  sleep 0.1
done
wait_for_end
# The missing archive's box, then the fatal one for the first entry looked up.
[ "$boxes" = 2 ] || fail "$boxes ERROR boxes instead of 2"
[ "$code" = 255 ] || fail "exit code $code instead of 255"
grep -q 'Resource file "tomblora.salad" not found' "$work/stderr.txt" || fail "no message for the archive"
echo "PASS (wine: salad verify and list, window, pixel $reference, Escape, close box, ERROR boxes $boxes, exit 255)"
