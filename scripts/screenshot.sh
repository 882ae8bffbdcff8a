#!/usr/bin/env bash
# Takes the README's screenshots of the simulator window under a display of its own:
# docs/screenshot-start.png (start-up) and docs/screenshot-menu.png (robot choice, key 'F').
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
# shellcheck source=../tests/support/window_lib.bash
source tests/support/window_lib.bash
trap wl_cleanup EXIT
mkdir -p docs
wl_start_xvfb
wl_start_program "$build/slitpass"
wl_shot_drawn "$WL_DIR/start.png"
wl_type F
wl_shot_settled "$WL_DIR/start.png" "$WL_DIR/menu.png"
# Strip the time stamps, so that the same picture gives the same file.
convert "$WL_DIR/start.png" -strip docs/screenshot-start.png
convert "$WL_DIR/menu.png" -strip docs/screenshot-menu.png
wl_key Escape
wl_wait_exit
echo "wrote docs/screenshot-start.png and docs/screenshot-menu.png"
