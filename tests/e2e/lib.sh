# Helpers for the end-to-end scripts: a private X server, the program under it,
# and waits that always end. Sourced, not run.
#
# Every wait is bounded: a window that never shows, a modal box nobody answers or
# a program that never exits ends the test as a failure within seconds.

E2E_TMP=""
E2E_XVFB_PID=""
E2E_APP_PID=""
E2E_WM_PID=""

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

e2e_cleanup() {
  if [ -n "$E2E_APP_PID" ] && kill -0 "$E2E_APP_PID" 2>/dev/null; then
    kill "$E2E_APP_PID" 2>/dev/null || true
    wait "$E2E_APP_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_WM_PID" ] && kill -0 "$E2E_WM_PID" 2>/dev/null; then
    kill "$E2E_WM_PID" 2>/dev/null || true
    wait "$E2E_WM_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_XVFB_PID" ] && kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_TMP" ] && [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_TMP"; fi
}

# A temporary folder of our own, removed on exit (kept when E2E_KEEP is set).
e2e_init() {
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-e2e.XXXXXX")
  trap e2e_cleanup EXIT
  trap 'exit 1' INT TERM
}

# Starts an X server of our own: the synthesized input must reach our window
# only, never a window of a dialog test running beside us on a shared display.
# -noreset: without it the server resets when its last client leaves (the program
# run before the window manager starts), and a client connecting during that reset
# is refused.
e2e_start_xvfb() {
  command -v Xvfb >/dev/null || e2e_fail "Xvfb is not installed"
  local fdfile="$E2E_TMP/displayfd"
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    if [ -s "$fdfile" ] && grep -q '^[0-9]' "$fdfile"; then break; fi
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    sleep 0.1
  done
  [ -s "$fdfile" ] || e2e_fail "Xvfb gave no display number within 10 s"
  export DISPLAY=":$(head -n1 "$fdfile" | tr -dc 0-9)"
  unset WAYLAND_DISPLAY
  export GDK_BACKEND=x11
}

# Starts openbox, a window manager, on our X server and waits until it manages
# windows (it then publishes its desktops on the root window).
e2e_start_wm() {
  command -v openbox >/dev/null || e2e_fail "openbox is not installed (scripts/install-deps.sh installs it)"
  openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
  E2E_WM_PID=$!
  local i
  for i in $(seq 100); do
    xdotool get_num_desktops >/dev/null 2>&1 && return 0
    kill -0 "$E2E_WM_PID" 2>/dev/null || e2e_fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
    sleep 0.1
  done
  e2e_fail "openbox did not start within 10 s"
}

# e2e_start_app <binary> [env assignments...] [-- arguments...]: starts the
# program in the background with the given environment and arguments, its output
# into app.log. The test runner's guard against unscripted boxes is no part of a
# user's environment: the real binary shows its real boxes.
e2e_start_app() {
  local bin=$1 envs=() ; shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do envs+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  env -u KELVANE_MODAL_FORBIDDEN "${envs[@]}" "$bin" "$@" >"$E2E_TMP/app.log" 2>&1 &
  E2E_APP_PID=$!
}

# Prints the id of the program's visible window titled exactly $1, if there is
# one. (xdotool's name search misses titles outside Latin-1; getwindowname reads them.)
e2e_window_titled() {
  local w
  for w in $(xdotool search --onlyvisible --class kelvane 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && { echo "$w"; return 0; }
  done
  return 0
}

# Prints the id of the visible top-level window titled exactly $1, waiting up to
# $2 seconds (default 20); fails when none shows or the program ends first.
e2e_wait_window() {
  local title=$1 limit=${2:-20} i wid
  for i in $(seq $((limit * 10))); do
    wid=$(e2e_window_titled "$title")
    if [ -n "$wid" ]; then echo "$wid"; return 0; fi
    kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the program ended before its window showed: $(cat "$E2E_TMP/app.log")"
    sleep 0.1
  done
  e2e_fail "no window titled '$title' within ${limit} s (a message box at start-up?)"
}

# Waits up to $1 seconds (default 20) for the program to end; fails if it does not.
e2e_wait_exit() {
  local limit=${1:-20} i
  for i in $(seq $((limit * 10))); do
    if ! kill -0 "$E2E_APP_PID" 2>/dev/null; then
      wait "$E2E_APP_PID" 2>/dev/null || true
      E2E_APP_PID=""
      return 0
    fi
    sleep 0.1
  done
  e2e_fail "the program did not end within ${limit} s after Esc (a box left open?)"
}

# e2e_click_du <window> <x> <y> <w> <h>: clicks the middle of a control given in
# dialog units. The dialog's client area is 549 x 304 dialog units, so its pixel
# size gives the scale whatever font the dialog got.
e2e_click_du() {
  local wid=$1 x=$2 y=$3 w=$4 h=$5 geo width height px py
  geo=$(xdotool getwindowgeometry --shell "$wid") || e2e_fail "no geometry for window $wid"
  width=$(sed -n 's/^WIDTH=//p' <<<"$geo")
  height=$(sed -n 's/^HEIGHT=//p' <<<"$geo")
  px=$(( (2 * x + w) * width / (2 * 549) ))
  py=$(( (2 * y + h) * height / (2 * 304) ))
  xdotool mousemove --window "$wid" "$px" "$py" click 1
}

# Compares two files byte for byte, showing both on a difference.
e2e_expect_file() {
  local expected=$1 actual=$2 what=$3
  [ -f "$actual" ] || e2e_fail "$what: $actual was not written"
  if ! cmp -s "$expected" "$actual"; then
    echo "--- expected $what" >&2; od -c "$expected" | head -n 40 >&2
    echo "--- actual $what" >&2; od -c "$actual" | head -n 40 >&2
    e2e_fail "$what differs"
  fi
}
