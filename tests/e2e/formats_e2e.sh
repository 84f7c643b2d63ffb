#!/usr/bin/env bash
# kelvane-export's --csv and --json read back by the programs they are written for,
# on every table of every file of the test data: Python's csv module reads every
# CSV field back to the value the JSON line holds (floats equal, integers equal,
# booleans true/false, dates through datetime.fromisoformat, exact money through
# Decimal, binary through base64 against the --binary hex run), and jq and Python's
# json accept every JSON line. --all must write every user table with status 0 and
# one manifest line each; a file that asks for a password is passed over.
#
# usage: formats_e2e.sh <kelvane-export> <testdata folder>
set -euo pipefail
cli=$(realpath "${1:?usage}") testdata=${2:?usage}
command -v jq >/dev/null || { echo "FAIL: jq is not installed" >&2; exit 1; }
t=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-formats.XXXXXX")
trap 'rm -rf "$t"' EXIT
checked=0
for db in "$testdata"/*.mdb "$testdata"/*.accdb; do
  name=$(basename "$db")
  for form in csv json json-hex; do
    args=(--csv)
    [ "$form" = json ] && args=(--json)
    [ "$form" = json-hex ] && args=(--json --binary hex)
    rc=0
    env -i "$cli" --all "$t/$name.$form" "${args[@]}" "$db" >"$t/$name.$form.manifest" 2>"$t/err" || rc=$?
    if [ "$rc" != 0 ] && grep -q 'Jet 3149' "$t/err"; then continue 2; fi  # a password is needed
    [ "$rc" = 0 ] && [ ! -s "$t/err" ] || { echo "FAIL: --all ${args[*]} $name: status $rc: $(cat "$t/err")" >&2; exit 1; }
  done
  while IFS=$'\t' read -r table file records; do
    jq -c . "${file%.csv}.jsonl" >/dev/null 2>"$t/err" ||
      { echo "FAIL: jq refuses $name $table: $(head -c 300 "$t/err")" >&2; exit 1; }
  done < <(sed "s|$t/$name.csv/|$t/$name.json/|" "$t/$name.csv.manifest")
  python3 - "$t" "$name" <<'PYEOF' || exit 1
import base64, csv, datetime, decimal, json, re, sys
t, name = sys.argv[1], sys.argv[2]
def manifest(form):
    rows = [l.rstrip('\n').split('\t') for l in open(f'{t}/{name}.{form}.manifest', encoding='utf-8')]
    return {r[0]: (r[1], int(r[2])) for r in rows}
csvs, jsons, hexes = manifest('csv'), manifest('json'), manifest('json-hex')
assert csvs.keys() == jsons.keys() == hexes.keys(), (name, 'tables differ between formats')
iso = re.compile(r'^\d{4}-\d\d-\d\d( \d\d:\d\d:\d\d)?$')
def fail(table, record, column, why):
    sys.exit(f'FAIL: {name} {table} record {record} column {column}: {why}')
for table, (path, count) in csvs.items():
    with open(path, newline='', encoding='utf-8') as f:
        rows = list(csv.reader(f))
    header, rows = rows[0], rows[1:]
    lines = [json.loads(l) for l in open(jsons[table][0], encoding='utf-8')]
    hexed = [json.loads(l) for l in open(hexes[table][0], encoding='utf-8')]
    if not (len(rows) == len(lines) == len(hexed) == count):
        fail(table, '-', '-', f'{len(rows)} CSV rows, {len(lines)} JSON lines, manifest {count}')
    for n, (row, obj, hobj) in enumerate(zip(rows, lines, hexed), 1):
        if list(obj.keys()) != header or len(row) != len(header):
            fail(table, n, '-', 'the CSV header and the JSON keys differ')
        for column, text in zip(header, row):
            v, h = obj[column], hobj[column]
            if v is None:
                ok = text == ''
            elif isinstance(v, bool):
                ok = text == ('true' if v else 'false')
            elif isinstance(v, int):
                ok = int(text) == v
            elif isinstance(v, float):
                ok = float(text) == v
            elif v != h:  # binary: base64 and hex of the same bytes
                ok = text == v and base64.b64decode(text, validate=True) == bytes.fromhex(h)
            elif iso.match(v):
                ok = text == v and datetime.datetime.fromisoformat(text) is not None
            elif re.fullmatch(r'-?\d+(\.\d+)?', v):
                ok = decimal.Decimal(text) == decimal.Decimal(v)
            else:
                ok = text == v
            if not ok:
                fail(table, n, column, f'CSV {text!r} against JSON {v!r}')
print(f'{name}: {len(csvs)} tables read back')
PYEOF
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || { echo "FAIL: no test data in $testdata" >&2; exit 1; }
echo "e2e formats: passed ($checked files)"
