#!/usr/bin/env bash
# Takes the README's screenshots of the simulator window under a display of its own:
# docs/screenshot-start.png (start-up), docs/screenshot-menu.png (robot choice, key 'F') and
# docs/screenshot-motion.png (C mode at the goal with the work-point trail, after the runner's
# solve for the robot, default F21, typed into the window).
# Usage: screenshot.sh [BUILD_DIR [ROBOT]]
set -euo pipefail
build=${1:-build}
robot=${2:-F21}
cd "$(dirname "$0")/.."
# shellcheck source=../tests/support/window_lib.bash
source tests/support/window_lib.bash
# shellcheck source=replay_lib.bash
source scripts/replay_lib.bash
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

# A fresh program for the motion: the solve's keys from start-up, then 's' to the goal.
rl_solve "$build" "$robot"
wl_start_program "$build/slitpass"
wl_shot_drawn "$WL_DIR/start.png"
rl_type_solve
rl_press_s "$RL_GOAL_PRESSES"
rl_settle 60
wl_shot "$WL_DIR/motion.png"
convert "$WL_DIR/motion.png" -strip docs/screenshot-motion.png
wl_key Escape
wl_wait_exit
echo "wrote docs/screenshot-motion.png (robot $robot at the goal)"
