#!/usr/bin/env bash
# A file named on the command line, as the desktop entry or a file manager passes it:
# started in another folder, the real binary lists that file's tables at start-up in
# place of a stored path whose file is gone (its error box would hold the window
# back), and saves the file's absolute path and first table on Esc. A line it does
# not take gets one usage line on stderr and status 2, --help its usage on stdout
# and status 0, with no display needed. Under C the open dialog is titled 打开.
# usage: open_e2e.sh <kelvane binary> <kelvane_make_fixture binary>
set -euo pipefail
. "$(dirname "$0")/lib.sh"
app=$1 make_fixture=$2
e2e_init
t=$E2E_TMP
for line in "-x" "--helps" "-" "a.mdb b.mdb" "-- a.mdb -b.mdb"; do
  rc=0
  env -u DISPLAY "$app" $line >"$t/out" 2>"$t/err" || rc=$?  # word-split on purpose
  [ "$rc" = 2 ] && [ ! -s "$t/out" ] && [ "$(grep -c '^usage: kelvane ' "$t/err")$(wc -l <"$t/err")" = 11 ] ||
    e2e_fail "'$line': status $rc, $(cat "$t/out" "$t/err")"
done
rc=0
env -u DISPLAY "$app" a.mdb --help >"$t/out" 2>"$t/err" || rc=$?
[ "$rc" = 0 ] && [ ! -s "$t/err" ] && head -n1 "$t/out" | grep -q '^usage: kelvane ' &&
  grep -q -- --version "$t/out" || e2e_fail "--help: status $rc, $(cat "$t/out" "$t/err")"

d="$t/数据 目录"
mkdir -p "$d/sub" "$t/config/kelvane"
"$make_fixture" "$d/演示 库.mdb" demo 2>"$t/fixture.log" || e2e_fail "fixture: $(cat "$t/fixture.log")"
cp "$d/演示 库.mdb" "$d/-x.mdb"
uri=file://  # as a file manager writes it: every byte but the plain ones %-escaped
for h in $(printf '%s' "$d/演示 库.mdb" | od -An -tx1 -v); do
  if (( 16#$h > 0x20 && 16#$h < 0x80 )); then uri+=$(printf "\\x$h"); else uri+="%${h^^}"; fi
done

e2e_start_xvfb
while IFS='|' read -r folder locale arg1 arg2 expected; do  # start folder|locale|arguments|saved path
  printf 'mdbfile=%s\n' "$t/gone/old.mdb" >"$t/config/kelvane/kelvane.ini"
  cd "$folder"
  e2e_start_app "$app" HOME="$t" XDG_CONFIG_HOME="$t/config" LC_ALL="$locale" -- $arg1 "$arg2"
  cd - >/dev/null
  wid=$(e2e_wait_window Kelvane 30)
  for attempt in 1 2 3 4 5; do  # a key before the window takes input is lost
    timeout 5 xdotool windowfocus "$wid" key --clearmodifiers Escape 2>/dev/null || true
    sleep 1
    kill -0 "$E2E_APP_PID" 2>/dev/null || break
  done
  e2e_wait_exit 10
  grep -qxF "mdbfile=$expected" "$t/config/kelvane/kelvane.ini" && grep -qx 'mdbtable=Customers' "$t/config/kelvane/kelvane.ini" ||
    e2e_fail "$arg1 $arg2 from $folder under $locale: saved $(cat "$t/config/kelvane/kelvane.ini")"
done <<EOF2
$d/sub|C||../演示 库.mdb|$d/演示 库.mdb
$t|C.UTF-8||$uri|$d/演示 库.mdb
$d|C.UTF-8|--|-x.mdb|$d/-x.mdb
EOF2

# Under C the window speaks Chinese, and so do the titles it gives GTK: the open
# dialog is titled 打开 for every reader, the X title (WM_NAME, which xdotool's name
# search reads) as well as its UTF-8 form, though C's ASCII cannot hold it.
printf 'mdbfile=%s\n' "$d/演示 库.mdb" >"$t/config/kelvane/kelvane.ini"
e2e_start_app "$app" HOME="$t" XDG_CONFIG_HOME="$t/config" LC_ALL=C
wid=$(e2e_wait_window Kelvane 30)
open=""
for attempt in 1 2 3 4 5; do  # a click before the window takes input is lost
  e2e_click_du "$wid" 18 31 43 14
  for i in $(seq 20); do
    open=$(xdotool search --onlyvisible --name '^打开$' 2>/dev/null | head -n1 || true)
    [ -n "$open" ] && break 2
    sleep 0.1
  done
done
[ -n "$open" ] || e2e_fail "no open dialog whose X title is 打开 under C: $(for w in $(xdotool search --onlyvisible --class kelvane); do xdotool getwindowname "$w"; done)"
[ "$(e2e_window_titled 打开)" = "$open" ] || e2e_fail "the open dialog's UTF-8 title is not 打开"
for attempt in 1 2 3 4 5; do
  timeout 5 xdotool windowfocus "$open" key --clearmodifiers Escape 2>/dev/null || true
  sleep 0.5
  [ -z "$(xdotool search --onlyvisible --name '^打开$' 2>/dev/null || true)" ] && break
done
timeout 5 xdotool windowfocus "$wid" key --clearmodifiers Escape 2>/dev/null || true
e2e_wait_exit 10
echo "e2e open: 3 passed, 0 failed"
