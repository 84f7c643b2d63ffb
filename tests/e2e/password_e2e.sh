#!/usr/bin/env bash
# kelvane-export's password sources through the real binary: --password-file (a
# file, "-"), KELVANE_PASSWORD, the prompt on a terminal (a pty, when python3 is
# there to drive one), and none; a wrong password. The password never shows in a
# message, and a refused run writes no target file.
#
# usage: password_e2e.sh <kelvane-export> <testdata folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
cli=$(realpath "${1:?usage}") testdata=${2:?usage}
e2e_init
t=$E2E_TMP
db=$testdata/V2010_with-password.accdb
[ -f "$db" ] || e2e_fail "$db is missing"
expected=$'1,One\r\n2,Two\r\n3,Three\r\n'
export LC_ALL=en_US.UTF-8
unset KELVANE_PASSWORD

# run <expected status> <expected stderr, or -> <command...>: stdout into $t/out.
run() {
  local want=$1 message=$2 status=0
  shift 2
  "$@" >"$t/out" 2>"$t/err" </dev/null || status=$?
  [ "$status" -eq "$want" ] || e2e_fail "$*: status $status, not $want: $(cat "$t/err")"
  [ "$message" = - ] || [ "$(cat "$t/err")" = "kelvane-export: $db: $message [Jet 3149]" ] ||
    e2e_fail "$*: said \"$(cat "$t/err")\""
  ! grep -q "secret-ish\|password\$" "$t/err" || e2e_fail "$*: the password shows in \"$(cat "$t/err")\""
}

printf 'password\r\n' >"$t/pw"
run 0 - "$cli" --password-file "$t/pw" "$db" Table1
printf '%s' "$expected" | cmp -s - "$t/out" || e2e_fail "--password-file: $(cat "$t/out")"
printf 'password\nmore\n' | "$cli" --password-file - -l "$db" >"$t/out" || e2e_fail "--password-file -"
[ "$(tr -d '\r' <"$t/out")" = Table1 ] || e2e_fail "--password-file - listed $(cat "$t/out")"
run 0 - env KELVANE_PASSWORD=password "$cli" -s "select count(*) from Table1" "$db"
[ "$(tr -d '\r' <"$t/out")" = 3 ] || e2e_fail "KELVANE_PASSWORD: $(cat "$t/out")"
# The file comes first: its wrong password is not saved by the environment's.
printf 'secret-ish\n' >"$t/wrong"
run 1 "the password is not correct" env KELVANE_PASSWORD=password "$cli" --password-file "$t/wrong" -o "$t/x.txt" "$db" Table1
[ ! -e "$t/x.txt" ] || e2e_fail "a refused run wrote its target"
run 1 "the database is protected by a password; give it with --password-file, KELVANE_PASSWORD or at the prompt" \
  "$cli" --all "$t/all" "$db"
[ -z "$(ls -A "$t/all" 2>/dev/null)" ] || e2e_fail "a refused --all wrote $(ls "$t/all")"
run 1 - env LC_ALL=zh_CN.UTF-8 "$cli" -l "$db"
grep -q "数据库受密码保护" "$t/err" || e2e_fail "zh_CN: $(cat "$t/err")"

# The prompt: on the terminal, typed after it shows, not echoed.
if command -v python3 >/dev/null; then
  python3 - "$cli" "$db" >"$t/pty" <<'PY' || e2e_fail "prompt: $(cat "$t/pty")"
import os, pty, sys, time
pid, fd = pty.fork()
if pid == 0:
    os.execv(sys.argv[1], [sys.argv[1], sys.argv[2], "Table1"])
seen = b""
def read_until(token, limit=10):
    global seen
    end = time.time() + limit
    while token not in seen and time.time() < end:
        try:
            seen += os.read(fd, 1024)
        except OSError:
            break
read_until(b"Database password for")
os.write(fd, b"password\n")
read_until(b"3,Three")
os.waitpid(pid, 0)
sys.stdout.write(seen.decode("utf-8", "replace"))
sys.exit(0 if b"3,Three" in seen and b"password\r\n" not in seen.split(b":", 1)[-1] else 1)
PY
fi
echo "password sources: all passed"
