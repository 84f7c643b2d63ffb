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
. "$here/install.sh"
crosscheck_install "$here"
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
