#!/usr/bin/env bash
# The program as a user runs it, end to end, with nothing inside it made for tests:
# a settings file prepared beforehand points at a demo database; the real binary
# starts on a private X server, lists the tables at start-up, and synthesized input
# presses "开始导出" and then Esc. The exported text and the settings file the
# closing saved are then compared byte for byte with what they must hold. Two runs:
# under the C locale (GBK) with a plain store, and under a UTF-8 locale (UTF-8) with
# a store edited by hand and reached through a symbolic link.
#
# usage: export_e2e.sh <kelvane binary> <kelvane_make_fixture binary>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

app=${1:?usage: export_e2e.sh <kelvane> <kelvane_make_fixture>}
make_fixture=${2:?usage: export_e2e.sh <kelvane> <kelvane_make_fixture>}
command -v xdotool >/dev/null || e2e_fail "xdotool is not installed (scripts/install-deps.sh installs it)"
command -v iconv >/dev/null || e2e_fail "iconv is not installed"

e2e_init
t=$E2E_TMP
"$make_fixture" "$t/demo.mdb" demo 2>"$t/fixture.log" || e2e_fail "fixture: $(cat "$t/fixture.log")"

# Table mode on the first table of the listing (Customers); a stored custom separator
# of three characters, used although its edit stays disabled; quotes and header on;
# a two-line statement that table mode leaves alone, so it must come back unchanged
# (with $2 as its last characters, as the file holds them).
settings() {
  printf 'isusesql=0\n'
  printf 'mdbfile=%s\n' "$t/demo.mdb"
  printf 'mdbsql=Select *\\r\\nFrom Orders%s\n' "${2:-}"
  [ -n "${1:-}" ] && printf 'mdbtable=%s\n' "$1"
  printf 'opnheader=1\n'
  printf 'opnsep=2\n'
  printf 'opnsyh=1\n'
  printf 'txtfile=%s\n' "$t/out.txt"
  printf 'txtflds=CustomerID,[Company Name],City,Since,VIP,Notes\n'
  printf 'usersep= | \n'
}
settings Customers >"$t/expected.ini"
settings Customers '\\q' >"$t/expected-edited.ini"

cat >"$t/expected.utf8" <<'EOF'
"CustomerID" | "Company Name" | "City" | "Since" | "VIP" | "Notes"
"1" | "Alfreds Futterkiste" | "Berlin" | "2015/1/10" | "-1" | "Pays on time."
"2" | "北京贸易有限公司" | "北京" | "2016/2/10" | "0" | "重要客户，按时付款。"
"3" | "Bon app'" | "Marseille" | "2017/3/10" | "0" | ""
"4" | "上海食品公司" | "上海" | "2018/4/10" | "-1" | "重要客户，按时付款。"
"5" | "Ernst Handel" | "Graz" | "2019/5/10" | "0" | "Pays on time."
"6" | "广州电子" | "广州" | "2020/6/10" | "0" | "重要客户，按时付款。"
"7" | "Island Trading" | "Cowes" | "2021/7/10" | "-1" | "Pays on time."
"8" | "深圳科技" | "深圳" | "2022/8/10" | "0" | "重要客户，按时付款。"
EOF
# The file is in the locale's character set: UTF-8 (no byte-order mark) under a
# UTF-8 locale, GBK (code page 936) under C, where the locale names plain ASCII.
sed 's/$/\r/' "$t/expected.utf8" >"$t/expected.C.UTF-8"
iconv -f UTF-8 -t CP936 <"$t/expected.C.UTF-8" >"$t/expected.C"

e2e_start_xvfb

# One run of the program whose export must be expected.$1, as a user starts it, with
# its settings in the file $2, which must hold $3 afterwards; the rest is its
# environment. The locale comes from the environment only, so the program itself
# must take it at start-up.
export_in_locale() {
  local locale=$1 store=$2 expected=$3 attempt i wid
  shift 3
  rm -f "$t/out.txt"
  e2e_start_app "$app" HOME="$t" "$@"
  wid=$(e2e_wait_window Kelvane 30)

  # The button "开始导出" sits at 437,283 (50 x 14) in dialog units. A click that
  # arrives before the window takes input is lost, so it is repeated (a second
  # export only writes the same file again) until the file appears.
  for attempt in 1 2 3 4 5; do
    e2e_click_du "$wid" 437 283 50 14
    for i in $(seq 30); do
      [ -s "$t/out.txt" ] && break 2
      kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the program ended during the export: $(cat "$t/app.log")"
      sleep 0.1
    done
  done
  [ -s "$t/out.txt" ] || e2e_fail "no export file after pressing 开始导出 under $locale (status or box: see $t/app.log)"

  # The export disabled the focused button while it ran; the keyboard must still
  # reach the dialog afterwards, as it does on Windows. Esc is queued behind the
  # click, so it is served once the export has run to its end.
  press_escape "$wid" || e2e_fail "Esc right after the export did not end the dialog"
  e2e_wait_exit 10

  e2e_expect_file "$t/expected.$locale" "$t/out.txt" "export file under $locale"
  e2e_expect_file "$expected" "$store" "saved settings under $locale"
}

# Esc to the window $1; true once the window titled $2 is gone (without $2: once
# the program has ended).
press_escape() {
  local wid=$1 i
  timeout 5 xdotool windowfocus "$wid" 2>/dev/null || true
  timeout 5 xdotool key --clearmodifiers Escape 2>/dev/null || true
  for i in $(seq 30); do
    if [ -n "${2:-}" ]; then [ -z "$(e2e_window_titled "$2")" ] && return 0
    else kill -0 "$E2E_APP_PID" 2>/dev/null || return 0; fi
    sleep 0.1
  done
  return 1
}

mkdir -p "$t/config/kelvane"
settings >"$t/config/kelvane/kelvane.ini"
export_in_locale C "$t/config/kelvane/kelvane.ini" "$t/expected.ini" XDG_CONFIG_HOME="$t/config" LC_ALL=C

# A store edited by hand and kept in a dotfiles folder: a symbolic link to a private
# file that starts with an editor's byte-order mark, ends without a line feed and
# holds a backslash the format does not know. A relative XDG_CONFIG_HOME is not
# honoured (the XDG rules), so ~/.config is used. The link stays a link, the file
# keeps its mode, and nothing of it is lost. The messages' locale is not installed:
# the character set is still the one LANG names.
mkdir -p "$t/dotfiles" "$t/.config/kelvane"
{ printf '\xEF\xBB\xBF'; settings '' '\q' | head -c -1; } >"$t/dotfiles/kelvane.ini"
chmod 600 "$t/dotfiles/kelvane.ini"
ln -s ../../dotfiles/kelvane.ini "$t/.config/kelvane/kelvane.ini"
export_in_locale C.UTF-8 "$t/dotfiles/kelvane.ini" "$t/expected-edited.ini" XDG_CONFIG_HOME=config \
  LC_ALL= LANG=C.UTF-8 LC_MESSAGES=zh_CN.UTF-8
[ -L "$t/.config/kelvane/kelvane.ini" ] || e2e_fail "the settings link was replaced by a file"
[ "$(stat -c %a "$t/dotfiles/kelvane.ini")" = 600 ] || e2e_fail "the settings file lost its mode 600"

# Under a window manager (openbox), in each language: the main window is a fixed-size
# dialog that nothing maximises (a title-bar double click maximises any resizable
# window there); the file dialogs carry Windows' titles, "打开" and "另存为" in Chinese
# and under C, "Open" and "Save As" in English, which every other language gets; the
# about box's title comes from the same catalog; a database error box (a preview of a
# table that is not there) is titled with the program's name, as the window is. Esc
# closes each, then the program. The locales need not be installed.
e2e_start_wm
mkdir -p "$t/lang/kelvane"
printf 'isusesql=1\nmdbfile=%s\nmdbsql=select * from NoSuchTable\n' "$t/demo.mdb" >"$t/lang/kelvane/kelvane.ini"
# The window titled $1 other than the main window $wid, if any.
box_titled() {
  local w
  for w in $(xdotool search --onlyvisible --class kelvane 2>/dev/null); do
    [ "$w" != "$wid" ] && [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && { echo "$w"; return 0; }
  done
  return 0
}
rows=0
while IFS='|' read -r -u 3 locale open save about; do
  e2e_start_app "$app" XDG_CONFIG_HOME="$t/lang" HOME="$t" LC_ALL= LANGUAGE= $locale
  wid=$(e2e_wait_window Kelvane 30)
  if [ $rows = 0 ]; then
    size=$(xdotool getwindowgeometry "$wid" | grep Geometry)
    xdotool mousemove --window "$wid" 100 0 mousemove_relative -- 0 -10 click --repeat 2 --delay 100 1
    sleep 1  # time for a maximise to happen, were one allowed
    [ "$(xdotool getwindowgeometry "$wid" | grep Geometry)" = "$size" ] || e2e_fail "a double click on the title bar resized the window"
  fi
  for control in "18 31 43 14 $open" "306 29 43 14 $save" "492 283 50 14 $about" "18 108 43 14 Kelvane"; do
    read -r x y w h title <<<"$control"
    box=""
    for attempt in 1 2 3 4 5; do  # a click before the window takes input is lost
      e2e_click_du "$wid" "$x" "$y" "$w" "$h"
      for i in $(seq 20); do box=$(box_titled "$title"); [ -n "$box" ] && break 2; sleep 0.1; done
    done
    [ -n "$box" ] || e2e_fail "$locale: no window titled '$title'"
    timeout 5 xdotool windowfocus "$box" key --clearmodifiers Escape 2>/dev/null || true
    for i in $(seq 30); do [ -z "$(box_titled "$title")" ] && break; sleep 0.1; done
    [ -z "$(box_titled "$title")" ] || e2e_fail "$locale: Esc did not close '$title'"
  done
  press_escape "$wid" || e2e_fail "$locale: Esc after the boxes did not end the dialog"
  e2e_wait_exit 10
  rows=$((rows + 1))
done 3<<'ROWS'
LANG=zh_CN.UTF-8|打开|另存为|关于 Kelvane
LANG=C|打开|另存为|关于 Kelvane
LANG=en_US.UTF-8|Open|Save As|About Kelvane
LANG=de_DE.UTF-8 LANGUAGE=de:fr|Open|Save As|About Kelvane
ROWS
echo "e2e export: $((2 + rows)) passed, 0 failed"
