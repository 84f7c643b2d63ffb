#!/usr/bin/env bash
# Runs the program on a private X server, waits for its window, saves the window as
# a PNG and closes the program again.
#   scripts/screenshot.sh <build dir> <out.png>
set -euo pipefail
build=${1:?usage: screenshot.sh <build dir> <out.png>}
out=${2:?usage: screenshot.sh <build dir> <out.png>}
[ -x "$build/kelvane" ] || { echo "screenshot: $build/kelvane is not built" >&2; exit 1; }
build=$(cd "$build" && pwd)
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

inner=$(mktemp)
config=$(mktemp -d)
trap 'rm -rf "$inner" "$config"' EXIT
cat >"$inner" <<'INNER'
set -euo pipefail
build=$1; out=$2; config=$3
# A settings store of its own: the window shows its first-run state.
XDG_CONFIG_HOME="$config" "$build/kelvane" &
pid=$!
win=""
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '^Kelvane$' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "screenshot: kelvane exited early" >&2; exit 1; }
  sleep 0.1
done
[ -n "$win" ] || { echo "screenshot: no window appeared" >&2; kill "$pid"; exit 1; }
sleep 1   # let GTK finish the first paint
import -window "$win" "$out"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$inner" "$build" "$out" "$config"
echo "screenshot: $out"
