#!/usr/bin/env bash
# Starts the program as `make run` does.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "make run: no display (DISPLAY is not set). Start it from a desktop session," >&2
  echo "or try it headless with: xvfb-run -a $build/kelvane" >&2
  exit 1
fi
exec "$build/kelvane"
