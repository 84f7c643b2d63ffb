#!/usr/bin/env bash
# Runs every benchmark program built into build/bench/.
set -euo pipefail
build=${1:-build}
found=0
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  # bench_alive shows a window: under Xvfb when there is no display. Each of its
  # runs is a process of its own; without -noreset the server resets when one
  # disconnects, and the next run's connection can fail while it does.
  if [ "$(basename "$b")" = bench_alive ] && [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$b"
  else
    "$b"
  fi
done
[ $found -eq 1 ] || echo "no benchmarks built yet"
