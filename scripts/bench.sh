#!/usr/bin/env bash
# Runs every benchmark program built into build/bench/.
set -euo pipefail
build=${1:-build}
found=0
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  # bench_alive shows a window: under Xvfb when there is no display.
  if [ "$(basename "$b")" = bench_alive ] && [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "$b"
  else
    "$b"
  fi
done
[ $found -eq 1 ] || echo "no benchmarks built yet"
