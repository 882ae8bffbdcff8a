#!/usr/bin/env bash
# Makes docs/demo.gif, the animation of a whole task in the real window under a display of its
# own: the headless runner solves the task for the robot (default F21), its key script is typed
# into the window, then 's' moves the robot in C mode, a frame every few presses, to the goal.
# With DEMO_MOTION=H it plays the shortened motion ('H') instead and makes docs/demo-short.gif.
# Usage: [DEMO_VIEW=KEYS] [DEMO_MOTION=C|H] demo.sh [BUILD_DIR [ROBOT]]
set -euo pipefail
build=${1:-build}
robot=${2:-F21}
cd "$(dirname "$0")/.."
# shellcheck source=../tests/support/window_lib.bash
source tests/support/window_lib.bash
# shellcheck source=replay_lib.bash
source scripts/replay_lib.bash
trap wl_cleanup EXIT
start=$SECONDS
mkdir -p docs
wl_start_xvfb
rl_solve "$build" "$robot"
# The view keys typed after the solve (1 degree or 0.1 a press): the start-up view, looking
# along the wall so that both sides of it show, moved back and down until the whole motion of
# F21 stays clear of the key legend and the status lines. DEMO_VIEW="" keeps the start-up view.
repeat() { printf "%${2}s" "" | tr ' ' "$1"; }
view=${DEMO_VIEW-$(repeat p 2)$(repeat Q 6)$(repeat r 9)$(repeat x 40)$(repeat Y 12)$(repeat z 60)}
RL_SCRIPT+=$view
motion=${DEMO_MOTION:-C}
out=docs/demo.gif
if [ "$motion" = H ]; then
  # The shortened motion: one row a press, its last row reached after rows - 1 presses.
  rows=$("$build/slitpass-run" --robot "$robot" --solve --shorten --json |
    sed -n 's/.*"shorten": {[^}]*"rows": \([0-9]*\).*/\1/p')
  [ -n "$rows" ] || wl_fail "no shortened motion for robot $robot"
  RL_SCRIPT+=H
  RL_GOAL_PRESSES=$((rows - 1))
  out=docs/demo-short.gif
fi
echo "demo: robot $robot, ${#RL_SCRIPT} keys to type, a path of $RL_ROWS rows," \
  "$RL_GOAL_PRESSES presses of 's' to the goal"
wl_start_program "$build/slitpass"
wl_shot_drawn "$WL_DIR/start.png"
rl_type_solve
echo "demo: path calculated in the window after $((SECONDS - start)) s"

# About 48 frames of the motion, the first at the initial pose, the last at the goal.
frames=$WL_DIR/frames
mkdir -p "$frames"
per=$(((RL_GOAL_PRESSES + 47) / 48))
pressed=0 nframe=0
shoot() {
  rl_settle 30
  nframe=$((nframe + 1))
  wl_shot "$frames/$(printf '%04d' "$nframe").png"
}
shoot
while [ "$pressed" -lt "$RL_GOAL_PRESSES" ]; do
  n=$((RL_GOAL_PRESSES - pressed < per ? RL_GOAL_PRESSES - pressed : per))
  rl_press_s "$n"
  pressed=$((pressed + n))
  shoot
done
echo "demo: $nframe frames after $((SECONDS - start)) s"

# The window's console trace must be the runner's for the same keys: the window made the same path.
wl_key Escape
wl_wait_exit
"$build/slitpass-run" --trace "$WL_DIR/runner-trace.txt" "$RL_SCRIPT" >/dev/null
size=$(($(wc -c <"$WL_DIR/runner-trace.txt") - 1))
cmp -s -n "$size" "$WL_DIR/runner-trace.txt" "$WL_DIR/stdout" ||
  wl_fail "the window's console trace differs from the runner's: the window did not make the same path"

# The window's own size (600x600, so that the key legend and the status lines stay apart and
# legible), 64 colours, 0.12 s a frame and 3 s on the goal.
all=("$frames"/*.png)
convert -loop 0 -delay 12 "${all[@]:0:nframe-1}" -delay 300 "${all[nframe-1]}" \
  +dither -colors 64 -layers Optimize "$WL_DIR/demo.gif"
bytes=$(wc -c <"$WL_DIR/demo.gif")
[ "$bytes" -lt 2000000 ] || wl_fail "the animation has $bytes bytes, more than 2 MB"
mv "$WL_DIR/demo.gif" "$out"
echo "demo: wrote $out ($nframe frames, $bytes bytes) in $((SECONDS - start)) s"
