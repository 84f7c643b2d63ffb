#!/usr/bin/env bash
# SIGTERM (logout, shutdown) or SIGHUP closes the window as Esc does, saving the
# settings (the run's table, never read at start-up, shows the save ran); a running
# export ends first, an open box is closed first.
# usage: signal_e2e.sh <kelvane binary> <kelvane_make_fixture binary>
set -euo pipefail
. "$(dirname "$0")/lib.sh"
app=$1 make_fixture=$2 rows=600000
e2e_init
t=$E2E_TMP
"$make_fixture" "$t/demo.mdb" demo >/dev/null 2>&1 && "$make_fixture" "$t/big.mdb" big $rows >/dev/null 2>&1 ||
  e2e_fail "the fixtures could not be written"
mkdir -p "$t/config/kelvane"
e2e_start_xvfb
e2e_start_wm
while IFS='|' read -r signal db table action; do  # signal|database|its first table|while what
  printf 'mdbfile=%s\ntxtfile=%s\ntxtflds=*\nopnsep=1\n' "$t/$db" "$t/out.txt" >"$t/config/kelvane/kelvane.ini"
  rm -f "$t/out.txt"
  args=(); [ "$action" = box ] && args=("$t/gone.mdb")  # "文件无效！" at start-up
  e2e_start_app "$app" HOME="$t" XDG_CONFIG_HOME="$t/config" LC_ALL=C.UTF-8 -- "${args[@]}"
  wid=$(e2e_wait_window Kelvane 30)
  sleep 1
  if [ "$action" = export ]; then
    for attempt in 1 2 3 4 5; do  # a click before the window takes input is lost
      e2e_click_du "$wid" 437 283 50 14
      for i in $(seq 150); do [ -s "$t/out.txt" ] && break 2; sleep 0.02; done
    done
    before=$(wc -l <"$t/out.txt" 2>/dev/null) || e2e_fail "the export did not start"
    [ "$before" -lt $rows ] || e2e_fail "the export had ended before the signal: too few rows"
  fi
  kill -s "$signal" "$E2E_APP_PID"
  e2e_wait_exit 60
  grep -qx "mdbtable=$table" "$t/config/kelvane/kelvane.ini" || e2e_fail "SIG$signal $action: not saved"
  [ "$action" != export ] || [ "$(wc -l <"$t/out.txt")" = $rows ] || e2e_fail "SIG$signal cut the export"
done <<EOF2
TERM|demo.mdb|Customers|rest
HUP|demo.mdb|Customers|rest
TERM|big.mdb|Big|export
TERM|demo.mdb|Customers|box
EOF2
echo "e2e signal: 4 passed, 0 failed"
