#!/usr/bin/env bash
# A file named on the command line, as the desktop entry and a file manager pass it:
# the real binary starts in another folder, lists that file's tables at start-up in
# place of a stored path whose file is gone (whose error box would hold the window
# back), and saves the file's absolute path and the selected first table on Esc.
# A line the program does not take gets one usage line on stderr and status 2.
#
# usage: open_e2e.sh <kelvane binary> <kelvane_make_fixture binary>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

app=${1:?usage: open_e2e.sh <kelvane> <kelvane_make_fixture>}
make_fixture=${2:?usage: open_e2e.sh <kelvane> <kelvane_make_fixture>}
e2e_init
t=$E2E_TMP

# Refused before any display is opened.
for line in "-x" "--help" "-" "a.mdb b.mdb" "-- a.mdb -b.mdb" "--display=:0 a.mdb"; do
  rc=0
  # shellcheck disable=SC2086 # the words of the line are the arguments
  env -u DISPLAY "$app" $line >"$t/out" 2>"$t/err" || rc=$?
  [ "$rc" = 2 ] || e2e_fail "'$line' ended with status $rc, not 2"
  [ ! -s "$t/out" ] && [ "$(wc -l <"$t/err")" = 1 ] && grep -q '^usage: kelvane ' "$t/err" ||
    e2e_fail "'$line' did not print one usage line on stderr: $(cat "$t/out" "$t/err")"
done

mkdir -p "$t/数据 目录/sub" "$t/config/kelvane"
"$make_fixture" "$t/数据 目录/演示 库.mdb" demo 2>"$t/fixture.log" || e2e_fail "fixture: $(cat "$t/fixture.log")"
cp "$t/数据 目录/演示 库.mdb" "$t/数据 目录/-x.mdb"
# The URI a file manager passes for %U: every byte but the plain ones %-escaped.
uri=file://
for h in $(printf '%s' "$t/数据 目录/演示 库.mdb" | od -An -tx1 -v); do
  v=$((16#$h))
  if [[ $v -ge 0x80 || $v -le 0x20 ]]; then uri+="%${h^^}"; else uri+=$(printf "\\x$h"); fi
done

e2e_start_xvfb
# folder to start in | locale | arguments | the file's path as saved
while IFS='|' read -r folder locale args expected; do
  printf 'mdbfile=%s\n' "$t/gone/old.mdb" >"$t/config/kelvane/kelvane.ini"
  read -r -a argv <<<"$args"
  cd "$t/$folder"
  e2e_start_app "$app" HOME="$t" XDG_CONFIG_HOME="$t/config" LC_ALL="$locale" -- "${argv[@]//@/ }"
  cd - >/dev/null
  wid=$(e2e_wait_window Kelvane 30)
  for attempt in 1 2 3 4 5; do  # a key before the window takes input is lost
    timeout 5 xdotool windowfocus "$wid" key --clearmodifiers Escape 2>/dev/null || true
    sleep 1
    kill -0 "$E2E_APP_PID" 2>/dev/null || break
  done
  e2e_wait_exit 10
  ini=$(cat "$t/config/kelvane/kelvane.ini")
  grep -qxF "mdbfile=$t/$expected" <<<"$ini" && grep -qx 'mdbtable=Customers' <<<"$ini" ||
    e2e_fail "$args from $folder under $locale: saved $ini"
done <<EOF
数据 目录/sub|C|../演示@库.mdb|数据 目录/演示 库.mdb
.|C.UTF-8|$uri|数据 目录/演示 库.mdb
数据 目录|C.UTF-8|-- -x.mdb|数据 目录/-x.mdb
EOF
echo "e2e open: 2 passed, 0 failed"
