#!/usr/bin/env bash
# The cross-check CTest runs: writes each ready-made fixture with kelvane_make_fixture
# and reads it back with mdb-reader. Installs mdb-reader (pinned in package-lock.json)
# on the first run only; later runs need no network.
#   run.sh <kelvane_make_fixture> <work dir>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
make_fixture=$1
work=$2
mkdir -p "$work"
install() {
  [ -f "$here/node_modules/mdb-reader/package.json" ] ||
    (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
}
if command -v flock >/dev/null; then  # build folders may run their tests at once
  exec 9>"${TMPDIR:-/tmp}/kelvane-crosscheck-npm.lock"
  flock 9
  install
  flock -u 9
else
  install
fi
passed=0
failed=0
check() {  # check <name> <kind> [rows]
  local name=$1; shift
  if "$make_fixture" "$work/$name.mdb" "$@" --expect "$work/$name.json" 2>/dev/null &&
     node "$here/check.js" "$work/$name.mdb" "$work/$name.json"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
}
check alltypes alltypes
check demo demo
check edited edited
check big big 40000  # over 512 data pages: the usage map points to bitmap pages
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
