#!/usr/bin/env bash
# Prepares the demo of `make run` inside a build folder:
#   <build>/demo/demo.mdb                     made by the project's Jet 4 writer
#   <build>/demo-config/kelvane/kelvane.ini   settings that point at it
# The settings are written only when no kelvane.ini exists yet, so what the user
# changed in one demo run comes back in the next. The database is made again
# whenever it is missing, so the stored path keeps naming a real file.
set -euo pipefail
build=$(cd "${1:?usage: demo-seed.sh <build folder>}" && pwd)
demo="$build/demo"
ini="$build/demo-config/kelvane/kelvane.ini"

if [ ! -f "$demo/demo.mdb" ]; then
  fixture=$(find "$build" -maxdepth 3 -type f -name kelvane_make_fixture -perm -u+x | head -n1)
  [ -n "$fixture" ] || { echo "make run: kelvane_make_fixture is not built in $build" >&2; exit 1; }
  mkdir -p "$demo"
  "$fixture" "$demo/demo.mdb.tmp" demo 2>"$demo/fixture.log" ||
    { cat "$demo/fixture.log" >&2; exit 1; }
  mv "$demo/demo.mdb.tmp" "$demo/demo.mdb"
fi

if [ ! -e "$ini" ]; then
  # The store's own form: one key=value a line, keys in order, a backslash doubled.
  esc() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }
  mkdir -p "$(dirname "$ini")"
  {
    printf 'mdbfile=%s\n' "$(esc "$demo/demo.mdb")"
    printf 'opnheader=1\n'
    printf 'txtfile=%s\n' "$(esc "$demo/out.txt")"
    printf 'txtflds=*\n'
  } >"$ini.tmp"
  mv "$ini.tmp" "$ini"
  echo "Demo settings written to $ini (delete it to start the demo afresh)."
fi
