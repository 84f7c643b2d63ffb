#!/usr/bin/env bash
# The main window under a real window manager (openbox): a fixed-size dialog, as on
# Windows, that the window manager offers no way to maximise. A double click on the
# title bar, which maximises any resizable window under openbox, leaves its size.
#
# usage: window_e2e.sh <kelvane binary>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

app=${1:?usage: window_e2e.sh <kelvane>}
command -v xdotool >/dev/null || e2e_fail "xdotool is not installed (scripts/install-deps.sh installs it)"

e2e_init
t=$E2E_TMP
e2e_start_xvfb
e2e_start_wm
e2e_start_app "$app" XDG_CONFIG_HOME="$t/config" HOME="$t"
wid=$(e2e_wait_window Kelvane 30)

size() { xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p'; }
before=$(size)
eval "$(xdotool getwindowgeometry --shell "$wid")"
# The title bar lies just above the window's client area.
xdotool mousemove --window "$wid" "$((WIDTH / 2))" 0 mousemove_relative -- 0 -10 \
  click --repeat 2 --delay 100 1
sleep 1  # time for a maximise to happen, were the window manager to allow one
[ "$(size)" = "$before" ] || e2e_fail "the title bar's double click changed the window from $before to $(size)"

timeout 5 xdotool windowfocus "$wid" 2>/dev/null || true
timeout 5 xdotool key --clearmodifiers Escape 2>/dev/null || true
e2e_wait_exit 10
echo "e2e window: 1 passed, 0 failed"
