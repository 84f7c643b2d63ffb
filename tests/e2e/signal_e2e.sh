#!/usr/bin/env bash
# The end of a session, as a desktop that logs out or shuts down ends the program:
# SIGTERM (or SIGHUP, a closed terminal) closes the window as Esc does, so the
# settings are saved; the table of this run (never read at start-up) shows that the
# closing save ran. Sent during a long export, the export runs to its end first;
# sent while a box waits for an answer, the box is closed first.
# usage: signal_e2e.sh <kelvane binary> <kelvane_make_fixture binary>
set -euo pipefail
. "$(dirname "$0")/lib.sh"
app=$1 make_fixture=$2
e2e_init
t=$E2E_TMP
rows=600000
"$make_fixture" "$t/demo.mdb" demo 2>"$t/fixture.log" || e2e_fail "fixture: $(cat "$t/fixture.log")"
"$make_fixture" "$t/big.mdb" big $rows 2>"$t/fixture.log" || e2e_fail "fixture: $(cat "$t/fixture.log")"
mkdir -p "$t/config/kelvane"
e2e_start_xvfb
e2e_start_wm

while IFS='|' read -r signal db table action; do  # signal|database|first table|while what
  args=()
  [ "$action" = box ] && args=("$t/gone.mdb")  # the "文件无效！" box at start-up
  printf 'mdbfile=%s\ntxtfile=%s\ntxtflds=*\nopnsep=1\n' "$t/$db" "$t/out.txt" >"$t/config/kelvane/kelvane.ini"
  rm -f "$t/out.txt"
  e2e_start_app "$app" HOME="$t" XDG_CONFIG_HOME="$t/config" LC_ALL=C.UTF-8 -- "${args[@]}"
  wid=$(e2e_wait_window Kelvane 30)
  if [ "$action" = export ]; then
    for attempt in 1 2 3 4 5; do  # a click before the window takes input is lost
      e2e_click_du "$wid" 437 283 50 14
      for i in $(seq 150); do [ -s "$t/out.txt" ] && break 2; sleep 0.02; done
    done
    [ -s "$t/out.txt" ] || e2e_fail "the export did not start"
    before=$(wc -l <"$t/out.txt")
  else
    sleep 1
  fi
  kill -s "$signal" "$E2E_APP_PID"
  e2e_wait_exit 60
  saved=$(cat "$t/config/kelvane/kelvane.ini")
  grep -qx "mdbtable=$table" <<<"$saved" && grep -qx 'opnsep=1' <<<"$saved" ||
    e2e_fail "SIG$signal: the settings were not saved: $saved"
  if [ "$action" = export ]; then
    lines=$(wc -l <"$t/out.txt")
    [ "$before" -lt $rows ] || e2e_fail "the export had ended before SIG$signal came: too few rows"
    [ "$lines" = $rows ] || e2e_fail "SIG$signal during the export: $lines of $rows lines written"
    echo "SIG$signal came after $before of $rows lines"
  fi
done <<EOF2
TERM|demo.mdb|Customers|rest
HUP|demo.mdb|Customers|rest
TERM|big.mdb|Big|export
TERM|demo.mdb|Customers|box
EOF2
echo "e2e signal: 4 passed, 0 failed"
