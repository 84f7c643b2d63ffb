#!/usr/bin/env bash
# The real Access files read by our reader (kelvane_mdb_dump) and by mdb-reader, every
# value of every user table compared. Installs mdb-reader (pinned in package-lock.json)
# on the first run only, under the same lock as run.sh; later runs need no network.
#   testdata_check.sh <kelvane_mdb_dump> <testdata dir> <work dir> <npm lock file>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dump=$1
data=$2
work=$3
lock=$4
mkdir -p "$work"
. "$here/install.sh"
crosscheck_install "$here" "$lock"
passed=0
failed=0
for file in V1997_test.mdb V2000_test.mdb V2000_empty.mdb nwind.mdb V2007_test.accdb \
            V2016_bigint.accdb V2016_attachments.accdb complexDataTestV2007.accdb calcFieldTestV2010.accdb; do
  name=${file%.*}
  if "$dump" "$data/$file" >"$work/$name.ours.json" &&
     node "$here/dump_testdata.js" "$data/$file" >"$work/$name.mdb-reader.json" &&
     node "$here/compare_testdata.js" "$name" "$work/$name.ours.json" "$work/$name.mdb-reader.json"; then
    passed=$((passed + 1))
  else
    echo "$name: FAILED"
    failed=$((failed + 1))
  fi
done
# Office encryption: refused as a password (0x80040E4D).
refused=$("$dump" "$data/V2010_with-password.accdb" 2>&1 || true)
if [[ $refused == *"HRESULT 0x80040E4D"* ]]; then
  passed=$((passed + 1))
else
  echo "V2010_with-password: not refused with 0x80040E4D"
  failed=$((failed + 1))
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
