#!/usr/bin/env bash
# kelvane-export through the real binary. First the same bytes as the window for
# the same options: the real window on a private X server exports a table of the
# demo database and of nwind.mdb (settings prepared beforehand, "开始导出" clicked,
# then Esc), and kelvane-export does it from its command line; the two files must
# match byte for byte. Then what only the real process shows: exit statuses and
# their messages, RFC 4180 quoting, --all past a failing table, a closed pipe,
# and SIGINT/SIGTERM cutting the target back to its last whole line.
#
# usage: cli_e2e.sh <kelvane> <kelvane-export> <kelvane_make_fixture> <testdata folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
app=$(realpath "${1:?usage}") cli=$(realpath "${2:?usage}") make_fixture=$(realpath "${3:?usage}") testdata=${4:?usage}
command -v xdotool >/dev/null || e2e_fail "xdotool is not installed (scripts/install-deps.sh installs it)"
e2e_init
t=$E2E_TMP
"$make_fixture" "$t/demo.mdb" demo 2>"$t/fixture.log" || e2e_fail "fixture: $(cat "$t/fixture.log")"
"$make_fixture" "$t/big.mdb" big 1000000 2>"$t/fixture.log" || e2e_fail "fixture: $(cat "$t/fixture.log")"
nwind=$testdata/nwind.mdb
[ -f "$nwind" ] || e2e_fail "$nwind is missing"

# The window's export with the settings given as key=value arguments, into $t/window.txt.
window_export() {
  local wid attempt i
  rm -rf "$t/config" "$t/window.txt"
  mkdir -p "$t/config/kelvane"
  { printf 'txtfile=%s\n' "$t/window.txt"; printf '%s\n' "$@"; } >"$t/config/kelvane/kelvane.ini"
  e2e_start_app "$app" HOME="$t" XDG_CONFIG_HOME="$t/config" LC_ALL="$locale"
  wid=$(e2e_wait_window Kelvane 30)
  for attempt in 1 2 3 4 5; do  # a click before the window takes input is lost
    e2e_click_du "$wid" 437 283 50 14  # "开始导出"
    for i in $(seq 30); do
      [ -s "$t/window.txt" ] && break 2
      sleep 0.1
    done
  done
  # Esc waits behind the export, so the program ends once the file is whole.
  timeout 5 xdotool windowfocus "$wid" key --clearmodifiers Escape 2>/dev/null || true
  e2e_wait_exit 20
}

# locale|window settings (key=value;...)|kelvane-export's arguments (;-separated).
# Under C the window writes GBK, as on the systems its texts were written for, and
# kelvane-export UTF-8 unless -e names the window's set.
e2e_start_xvfb
while IFS='|' read -r locale settings args; do
  IFS=';' read -r -a keys <<<"$settings"
  IFS=';' read -r -a argv <<<"$args"
  window_export "${keys[@]}"
  LC_ALL=$locale "$cli" "${argv[@]}" -o "$t/cli.txt" || e2e_fail "kelvane-export ${argv[*]}: status $?"
  e2e_expect_file "$t/window.txt" "$t/cli.txt" "kelvane-export ${argv[*]} beside the window under $locale"
done <<EOT
C|mdbfile=$t/demo.mdb;isusesql=0;txtflds=*;opnsep=2;usersep= / ;opnsyh=1;opnheader=1|$t/demo.mdb;Customers;-f;*;-d; / ;-q;-H;-e;CP936
C.UTF-8|mdbfile=$t/demo.mdb;isusesql=1;mdbsql=select * from 订单明细;txtflds=*;opnsep=1;opnheader=0|$t/demo.mdb;订单明细;-t
C|mdbfile=$nwind;isusesql=1;mdbsql=select * from [Order Details];txtflds=OrderID,ProductID,UnitPrice,Discount;opnsep=0;opnheader=1|$nwind;Order Details;-f;OrderID,ProductID,UnitPrice,Discount;-H;-e;CP936
C.UTF-8|mdbfile=$nwind;isusesql=1;mdbsql=select * from Customers;txtflds=*;opnsep=0;opnsyh=1|$nwind;Customers;-q
EOT

# What the command line alone does, run as a shell runs it, with no display, and
# its messages in English (no locale is English): the file, the cause in words,
# Jet's number.
: >"$t/empty.mdb"
# status|arguments (;-separated)|standard output, as printf writes it, or * for any|a text standard error must hold (empty: none at all)
sql="select 'a,b' as x, 'say \"hi\"' as y, 'l1' & chr(13) & chr(10) & 'l2' as z, 'plain' as w, '' as e from Customers where CustomerID = 1"
while IFS='|' read -r status args out err; do
  IFS=';' read -r -a argv <<<"$args"
  argv=("${argv[@]//%%/;}")  # a ';' inside an argument
  rc=0
  (cd "$t" && env -u DISPLAY LC_ALL=C "$cli" "${argv[@]}" >"$t/out" 2>"$t/err") || rc=$?
  what="kelvane-export ${argv[*]}"
  [ "$rc" = "$status" ] || e2e_fail "$what: status $rc, not $status: $(cat "$t/err")"
  if [ "$out" != '*' ]; then printf "$out" >"$t/expected"; e2e_expect_file "$t/expected" "$t/out" "$what"; fi
  if [ -z "$err" ]; then [ ! -s "$t/err" ] || e2e_fail "$what: said $(cat "$t/err")"
  else grep -qF -- "$err" "$t/err" || e2e_fail "$what: no '$err' in: $(cat "$t/err")"; fi
done <<EOT
0|--help|*|
0|--version|kelvane-export 0.2.0\n|
2|-x;demo.mdb;Customers||kelvane-export [
2|demo.mdb||kelvane-export [
2|--csv;-q;demo.mdb;Customers||--csv
2|-e;UTF-16;demo.mdb;Customers||UTF-16
2|--eol;cr;demo.mdb;Customers||--eol
2|-d;;demo.mdb;Customers||kelvane-export [
1|nosuch.mdb;Customers||nosuch.mdb
1|demo.mdb;NoSuch||demo.mdb
1|demo.mdb;Customers;-o;no/such/out.txt||no/such/out.txt
1|demo.mdb;Customers;-o;demo.mdb||demo.mdb
0|-l;demo.mdb|Customers\nOrders\n\xe4\xba\xa7\xe5\x93\x81\n\xe8\xae\xa2\xe5\x8d\x95\xe6\x98\x8e\xe7\xbb\x86\n|
0|-l;-e;GBK;demo.mdb|Customers\nOrders\n\xb2\xfa\xc6\xb7\n\xb6\xa9\xb5\xa5\xc3\xf7\xcf\xb8\n|
0|--csv;--eol;lf;-s;$sql;demo.mdb|x,y,z,w,e\n"a,b","say ""hi""","l1\r\nl2",plain,\n|
0|--csv;-s;select '' as e from Customers where CustomerID < 3;demo.mdb|e\r\n""\r\n""\r\n|
0|--csv;-d; - ;--no-header;-s;select 'a - b' as x, 'c-d' as y from Customers where CustomerID = 1;demo.mdb|"a - b" - c-d\r\n|
0|-n;-e;UTF-8;demo.mdb;产品;-f;产品编号|1\r\n2\r\n3\r\n4\r\n|
1|$nwind;OrderDetails||no such table 'OrderDetails' (there is a table named 'Order Details') [Jet 3127]
1|-s;select * form Customers;demo.mdb||demo.mdb: syntax error in the statement near 'form Customers' [Jet 3092]
1|-s;delete from Customers;demo.mdb||demo.mdb: only SELECT statements run
1|.;Customers||.: a directory, not an Access database
1|empty.mdb;Customers||empty.mdb: an empty file, not an Access database
1|fixture.log;Customers||fixture.log: not an Access database
1|nosuch.mdb;Customers||nosuch.mdb: cannot be read: No such file or directory
1|-s;PARAMETERS [x] Long%% select * from Customers where CustomerID = [x];demo.mdb||no value for the parameter 'x'
0|--param;x=2;-s;PARAMETERS [x] Long%% select CustomerID from Customers where CustomerID = [x];demo.mdb|2\r\n|
0|--no-h;-o;-;-n;--lim;1;demo.mdb;Customers;-f;CustomerID|1\r\n|
2|--qu;demo.mdb;Customers||option --qu is ambiguous; it could be: --queries --quote --quiet
2|-e;;demo.mdb;Customers||the argument of --encoding must not be empty
2|demo.mdb;;-H||the table name must not be empty
0|-h|*|
1|$nwind;Employee Sales by Country||nwind.mdb: no value for the parameter 'Beginning Date' (give one with --param) [Jet 3088]
0|--param;Beginning Date=#1995-01-01#;--param;Ending Date=#1995-01-02#;--limit;1;$nwind;Employee Sales by Country|USA,Davolio,Nancy,1995/1/2,10357,1167.68\r\n|
0|-l;--queries;$nwind|*|
0|--show-sql;ten most expensive products;$nwind|*|
EOT

# --all: each table into its file (a picture too, as base64), one manifest line each.
rc=0
env -u DISPLAY LC_ALL=C "$cli" -a "$t/all" "$t/demo.mdb" >"$t/manifest" 2>"$t/err" || rc=$?
[ "$rc" = 0 ] && [ ! -s "$t/err" ] && [ "$(wc -l <"$t/manifest")" = 4 ] || e2e_fail "--all: status $rc, $(cat "$t/err")"
grep -qF "产品	$t/all/产品.txt	" "$t/manifest" || e2e_fail "--all manifest: $(cat "$t/manifest")"
LC_ALL=C "$cli" "$t/demo.mdb" 订单明细 >"$t/expected"
e2e_expect_file "$t/expected" "$t/all/订单明细.txt" "--all beside a single export"
[ -f "$t/all/Customers.txt" ] && [ -f "$t/all/Orders.txt" ] || e2e_fail "--all left tables out: $(ls "$t/all")"

# --all checks DIR first: a file is one line and status 1, nothing made.
rc=0
env -i "$cli" -a "$t/fixture.log" "$t/demo.mdb" >"$t/manifest" 2>"$t/err" || rc=$?
[ "$rc" = 1 ] && [ "$(wc -l <"$t/err")" = 1 ] && [ ! -s "$t/manifest" ] || e2e_fail "--all onto a file: $rc $(cat "$t/err")"
# A symlink in DIR is replaced, never followed; a table that fails leaves no file, the
# others are written, and the status says one failed.
mkdir "$t/links" && echo precious >"$t/victim" && ln -s "$t/victim" "$t/links/Shippers.txt"
rc=0
env -i "$cli" -a "$t/links" --binary fail "$nwind" >"$t/manifest" 2>"$t/err" || rc=$?
[ "$rc" = 1 ] && [ "$(cat "$t/victim")" = precious ] && [ ! -L "$t/links/Shippers.txt" ] ||
  e2e_fail "--all over a symlink: status $rc, $(cat "$t/err")"
grep -qF "table 'Categories', column 'Picture' holds binary data" "$t/err" && [ ! -e "$t/links/Categories.txt" ] ||
  e2e_fail "--all past a failing table: $(cat "$t/err"); $(ls "$t/links")"
[ "$(wc -l <"$t/manifest")" = 7 ] && [ -z "$(ls -A "$t/links" | grep -v '\.txt$')" ] ||
  e2e_fail "--all manifest or leftovers: $(cat "$t/manifest"); $(ls -A "$t/links")"
# --help that cannot be written is a failure, said on standard error.
rc=0
env -i "$cli" --help >/dev/full 2>"$t/err" || rc=$?
[ "$rc" = 1 ] && grep -qF "cannot write to standard output" "$t/err" || e2e_fail "--help >/dev/full: $rc $(cat "$t/err")"

# A reader that stops early ends the run without a word.
"$cli" "$t/big.mdb" Big 2>"$t/err" | head -n 1 >/dev/null || true
[ ! -s "$t/err" ] || e2e_fail "| head: said $(cat "$t/err")"

# SIGINT and SIGTERM in the middle of a file: status 130, the file ends with a
# whole line (every line of the table has seven fields).
for sig in INT TERM; do
  rm -f "$t/cut.txt"
  "$cli" "$t/big.mdb" Big -o "$t/cut.txt" 2>"$t/err" &
  pid=$!
  for i in $(seq 200); do [ -s "$t/cut.txt" ] && break; sleep 0.02; done
  kill -"$sig" "$pid"
  rc=0; wait "$pid" || rc=$?
  [ "$rc" = 130 ] || e2e_fail "SIG$sig: status $rc"
  [ "$(tail -c 2 "$t/cut.txt" | od -An -c | tr -d ' ')" = '\r\n' ] || e2e_fail "SIG$sig: the file ends mid-line"
  [ -z "$(tr -d '\r' <"$t/cut.txt" | awk -F, 'NF != 7')" ] || e2e_fail "SIG$sig: a line is cut"
  [ ! -s "$t/err" ] || e2e_fail "SIG$sig: said $(cat "$t/err")"
done
# English and UTF-8 with no locale, under C.UTF-8 and under one that is not installed;
# the set a missing locale names; Chinese only under zh_* (where it is installed).
koene="select CompanyName from Customers where CustomerID = 'KOENE'"
for env in "" LANG=C LC_ALL=C.UTF-8 LANG=de_DE.UTF-8 LANG=en_US.UTF-8; do
  env -i $env "$cli" --help | head -n 1 | grep -qx 'Usage: kelvane-export \[OPTION\]... FILE \[TABLE\]' ||
    e2e_fail "--help under '$env' is not English"
  [ "$(env -i $env "$cli" -s "$koene" "$nwind")" = $'K\xc3\xb6niglich Essen\r' ] || e2e_fail "not UTF-8 under '$env'"
done
[ "$(env -i LANG=de_DE.ISO-8859-1 "$cli" -s "$koene" "$nwind")" = $'K\xf6niglich Essen\r' ] ||
  e2e_fail "a missing locale's character set is not taken"
if locale -a | grep -qix 'zh_CN.utf-\?8'; then
  env -i LANG=zh_CN.UTF-8 "$cli" --help | head -n 1 | grep -qF '用法' || e2e_fail "--help under zh_CN is not Chinese"
fi
# A character the set lacks: '?' and one warning, status 0; --strict names where.
rc=0
env -i "$cli" -e ASCII -s "$koene" "$nwind" >"$t/out" 2>"$t/err" || rc=$?
[ "$rc" = 0 ] && grep -qx 'kelvane-export: 1 character could not be written in ASCII and became ?' "$t/err" ||
  e2e_fail "the ? warning: $rc $(cat "$t/err")"
rc=0
env -i "$cli" -e ASCII --strict "$nwind" Customers >"$t/out" 2>"$t/err" || rc=$?
[ "$rc" = 1 ] && grep -qF "table 'Customers', record 2, column 'Address'" "$t/err" || e2e_fail "--strict: $rc $(cat "$t/err")"

# The bash completion: options, and TABLE from what -l lists (a name with blanks quoted).
completion=$here/../../packaging/completion/kelvane-export
got=$(cd "$t" && PATH=$(dirname "$cli"):$PATH bash --norc -c '
  . "$1"
  complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _kelvane_export; printf "%s|" "${COMPREPLY[@]}"; }
  complete_words kelvane-export --cs; complete_words kelvane-export "$2" "Order "' _ "$completion" "$nwind")
[ "$got" = "--csv|Order\ Details|Order\ Details\ Extended|Order\ Subtotals|" ] || e2e_fail "completion: $got"
echo "e2e cli: passed"
