#!/usr/bin/env bash
# kelvane-export on a damaged copy of a fixture, through the real binary: what only
# its process shows. Without --salvage: status 1 after the records before the damage,
# one line naming the table and the page, and the hint. With it: status 3, every
# other record, a line per loss and a summary on standard error, the TSV report;
# status 0 on an undamaged file.
#
# usage: salvage_e2e.sh <kelvane-export> <kelvane_make_fixture> <kelvane_damage>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
cli=$(realpath "${1:?usage}") make_fixture=$(realpath "${2:?usage}") damage=$(realpath "${3:?usage}")
e2e_init
t=$E2E_TMP
export LC_ALL=en_US.UTF-8
"$make_fixture" "$t/big.mdb" big 5000 2>/dev/null || e2e_fail "fixture"
page=$("$damage" "$t/big.mdb" "$t/damaged.mdb" offsets 3) || e2e_fail "damager"

"$cli" --salvage "$t/big.mdb" Big >"$t/seed.txt" 2>"$t/err.txt" || e2e_fail "undamaged: status $? $(cat "$t/err.txt")"
[ ! -s "$t/err.txt" ] || e2e_fail "undamaged file reported: $(cat "$t/err.txt")"

status=0
"$cli" "$t/damaged.mdb" Big >"$t/plain.txt" 2>"$t/err.txt" || status=$?
[ "$status" = 1 ] || e2e_fail "without --salvage: status $status"
grep -q "table Big: data page $page is damaged (row offsets outside the page); stopped after [0-9]* records; --salvage reads past damage" \
  "$t/err.txt" || e2e_fail "without --salvage: $(cat "$t/err.txt")"

status=0
"$cli" --salvage --report "$t/report.tsv" "$t/damaged.mdb" Big >"$t/salvaged.txt" 2>"$t/err.txt" || status=$?
[ "$status" = 3 ] || e2e_fail "with --salvage: status $status: $(cat "$t/err.txt")"
lost=$(sed -n "s/^salvage: Big: data page $page (row offsets outside the page): \([0-9]*\) records lost$/\1/p" "$t/err.txt")
[ -n "$lost" ] || e2e_fail "no loss line: $(cat "$t/err.txt")"
grep -q "^salvage: 1 page damaged; $lost of 5,000 records lost$" "$t/err.txt" || e2e_fail "summary: $(cat "$t/err.txt")"
[ "$(wc -l <"$t/salvaged.txt")" = $((5000 - lost)) ] || e2e_fail "records written: $(wc -l <"$t/salvaged.txt")"
# Every record written is one of the undamaged file's, in its order.
[ "$(grep -Fxvf "$t/seed.txt" "$t/salvaged.txt" | wc -l)" = 0 ] || e2e_fail "a record not in the undamaged file"
printf 'table\tpage\tcheck\trecords lost\tvalue\nBig\t%s\trow-offsets\t%s\t\n' "$page" "$lost" | cmp -s - "$t/report.tsv" ||
  e2e_fail "report: $(cat "$t/report.tsv")"
echo "salvage e2e: ok"
