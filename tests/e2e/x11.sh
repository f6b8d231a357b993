# Helpers of the end-to-end scripts, sourced by them: the private X server, the program's window, waiting
# for the program to end, and the Wine prefix. The script defines fail MESSAGE (it must not return) and
# keeps the program it starts in pid.

export LIBGL_ALWAYS_SOFTWARE=1

# Runs the script again inside a private Xvfb server of the screen size given (WIDTHxHEIGHT), the whole run
# limited to SECONDS; returns at once when already inside. Call it as: in_private_x SECONDS SIZE "$@"
in_private_x() {
  local seconds=$1 size=$2
  shift 2
  [ -n "${TOMBLORA_E2E_INNER:-}" ] && return 0
  TOMBLORA_E2E_INNER=1 exec timeout "$seconds" xvfb-run -a -s "-screen 0 ${size}x24" "$BASH" "$0" "$@"
}

# Sets wid to the visible window titled TITLE, waiting up to SECONDS (default 60) for it.
find_window() {
  wid=$(timeout "${2:-60}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$wid" ] || fail "no window titled \"$1\""
}

focus_window() {
  timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
}

# Fails unless the client area of window wid is WIDTH x HEIGHT; sets info to what xwininfo said.
check_client_size() {
  info=$(xwininfo -id "$wid")
  grep -q "Width: $1$" <<<"$info" || fail "client width is not $1: $info"
  grep -q "Height: $2$" <<<"$info" || fail "client height is not $2: $info"
}

# Waits up to 30 s for the program pid to end and sets code to its exit status.
wait_for_end() {
  local tries=0
  while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -gt 300 ] && fail "the program did not end"
    sleep 0.1
  done
  wait "$pid"
  code=$?
}

# Makes the folder work for the run; at exit the program is ended, Wine stopped if started, work removed.
make_work() {
  work=$(mktemp -d)
  trap 'kill "${pid:-}" 2>/dev/null; [ -n "${wine_started:-}" ] && wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
}

# Wine on the prefix of the Windows build folder given, started once here for the whole script.
start_wine() {
  export WINEPREFIX=$1/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine's first start in a prefix sets it up for half a minute; later starts take a second or two.
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -p >/dev/null 2>&1 </dev/null
  wine_started=1
}
