#!/usr/bin/env bash
# Opens the simulator window; without a display, says so and points to the headless runner.
set -u
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "make run: no display (DISPLAY is not set), so the simulator window cannot open." >&2
  echo "Run a key session without a window instead, for example:" >&2
  echo "  $build/slitpass-run --json --trace - 'F21ab'" >&2
  exit 1
fi
exec "$build/slitpass"
