#!/usr/bin/env bash
# Starts the program as `make run` does: with a settings store of its own inside
# the build folder (never the user's ~/.config), seeded on first use with a demo
# database, so the first window already lists tables and "预览 =>" and "开始导出"
# work without choosing anything.
set -euo pipefail
build=${1:-build}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "make run: no display (DISPLAY is not set), so the window cannot be shown." >&2
  echo "Start it from a desktop session, or headless with: xvfb-run -a $0 $build" >&2
  exit 1
fi

[ -x "$build/kelvane" ] || { echo "make run: $build/kelvane is not built" >&2; exit 1; }
build=$(cd "$build" && pwd)
"$(dirname "$0")/demo-seed.sh" "$build"

XDG_CONFIG_HOME="$build/demo-config" exec "$build/kelvane"
