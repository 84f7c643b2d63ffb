#!/usr/bin/env bash
# The cross-check CTest runs: writes each ready-made fixture with kelvane_make_fixture
# and reads it back with mdb-reader. Installs mdb-reader (pinned in package-lock.json)
# on the first run only; later runs need no network.
#   run.sh <kelvane_make_fixture> <work dir> <npm lock file>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
make_fixture=$1
work=$2
lock=$3
mkdir -p "$work"
. "$here/install.sh"
crosscheck_install "$here" "$lock"
passed=0
failed=0
check() {  # check <file name> <kind> [rows] [options]
  local name=$1; shift
  if "$make_fixture" "$work/$name" "$@" --expect "$work/$name.json" 2>/dev/null &&
     node "$here/check.js" "$work/$name" "$work/$name.json"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
}
check alltypes.mdb alltypes
check demo.mdb demo
check edited.mdb edited
check big.mdb big 40000  # over 512 data pages: the usage map points to bitmap pages
check scrambled.mdb alltypes --scramble 0x6B39DAC7  # Jet's page scrambling
check newtypes2007.accdb accdb --version 2
check newtypes2019.accdb accdb --version 6
check big.accdb big 40000 --version 5
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
