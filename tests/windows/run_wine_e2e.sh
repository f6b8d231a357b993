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

if [ -z "${TOMBLORA_E2E_INNER:-}" ]; then
  TOMBLORA_E2E_INNER=1 exec timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" "$BASH" "$0" "$@"
fi

fail() {
  echo "FAIL (wine $scenario): $*" >&2
  [ -f "${work:-}/stderr.txt" ] && sed 's/^/  tomblora.exe stderr: /' "$work/stderr.txt" | tail -n 5 >&2
  exit 1
}

export WINEPREFIX=$windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LIBGL_ALWAYS_SOFTWARE=1
# Wine's first start in a prefix sets it up for half a minute; later starts take a second or two.
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wineserver -p
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null; wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

scenario=salad
out=$(wine "$windows/salad.exe" verify "$linux/tomblora.salad" 2>&1) || fail "verify: $out"
grep -q "ok, .* entries" <<<"$out" || fail "verify said: $out"
out=$(wine "$windows/salad.exe" list "$linux/tomblora.salad" 2>&1) || fail "list: $out"
grep -q "^soundtrack.ogg " <<<"$out" || fail "list has no soundtrack.ogg: $out"

start() {
  (cd "$1" && exec timeout 90 wine "$windows/tomblora.exe" >"$work/stdout.txt" 2>"$work/stderr.txt") &
  pid=$!
}

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

# Red, green and blue of pixel (x, y) of a 320 x 240 picture: a PNG file, or the X screen at +X,Y.
pixel() {
  local input=(-i "$1")
  [ "$#" = 4 ] && input=(-f x11grab -draw_mouse 0 -video_size 320x240 -i "$DISPLAY+$1,$2")
  ffmpeg -loglevel error "${input[@]}" -frames:v 1 -f rawvideo -pix_fmt rgb24 - |
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
  wid=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
  [ -n "$wid" ] || fail "no window titled \"$title\""
  info=$(xwininfo -id "$wid")
  grep -q "Width: 320$" <<<"$info" || fail "client width is not 320: $info"
  grep -q "Height: 240$" <<<"$info" || fail "client height is not 240: $info"
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
    timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
    xdotool key Escape
  else
    "$linux/tomblora_e2e_close_window" "$title" >/dev/null || fail "the window closer found no window"
  fi
  finish
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
  fi
  sleep 0.1
done
finish
[ "$boxes" -ge 1 ] || fail "no ERROR box"
[ "$code" = 255 ] || fail "exit code $code instead of 255"
grep -q 'Resource file "tomblora.salad" not found' "$work/stderr.txt" || fail "no message for the archive"
echo "PASS (wine: salad verify and list, window, pixel $reference, Escape, close box, ERROR boxes $boxes, exit 255)"
