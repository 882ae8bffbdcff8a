#!/usr/bin/env bash
# The simulator program as a user meets it: started under a display of its own with no console
# input, keys typed into its window, the picture checked after each step.
# Usage: window_process.sh PATH_OF_SLITPASS
set -euo pipefail
bin=${1:?path of the slitpass program}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/window_lib.bash
source "$here/../support/window_lib.bash"
trap wl_cleanup EXIT

wl_start_xvfb
wl_start_program "$bin"
d=$WL_DIR

# Start-up: the robot and the translucent wall.
wl_shot_drawn "$d/start.png"
walls=$(wl_count "$d/start.png" wall)
links=$(wl_count "$d/start.png" link)
[ "$walls" -gt 5000 ] || wl_fail "start-up: wall not drawn ($walls wall pixels)"
[ "$links" -gt 200 ] || wl_fail "start-up: robot not drawn ($links link pixels)"

# 'F': the robot choice menu, with no wall and no robot at the goal, only the pictures.
wl_type F
wl_shot_settled "$d/start.png" "$d/menu.png"
[ "$(wl_count "$d/menu.png" wall)" -eq 0 ] || wl_fail "menu: the wall is still drawn"
[ "$(wl_count "$d/menu.png" link)" -gt 2000 ] || wl_fail "menu: no structure pictures"
# The legend stays where it was.
[ "$(wl_diff "$d/start.png" "$d/menu.png" 160x38+0+2)" = "0" ] || wl_fail "menu: the legend moved"

# Two digits choose robot F21 again: back to A mode with the wall and the robot.
wl_type 21
wl_shot_settled "$d/menu.png" "$d/chosen.png"
[ "$(wl_count "$d/chosen.png" wall)" -gt 5000 ] || wl_fail "after the robot choice: no wall"
[ "$(wl_count "$d/chosen.png" link)" -gt 200 ] || wl_fail "after the robot choice: no robot"

# A view key moves the 3-D scene; the legend stays.
wl_type XXXXX
wl_shot_settled "$d/chosen.png" "$d/moved.png"
changed=$(wl_diff "$d/chosen.png" "$d/moved.png")
[ "$changed" -gt 5000 ] || wl_fail "view key: only $changed pixels changed"
# The grid lines behind the legend move with the view and the text does not: a legend that moved
# would keep only a few of its dark pixels.
read -r common total < <(wl_dark_kept "$d/chosen.png" "$d/moved.png" 160x38+0+2)
echo "legend rows 1-2: $common of $total dark pixels kept after the view key"
[ "$total" -gt 200 ] && [ $((common * 100)) -ge $((total * 60)) ] || wl_fail "view key: the legend moved"

# ESC ends the program with exit code 0.
wl_key Escape
wl_wait_exit
[ "$WL_RC" = "0" ] || wl_fail "ESC: exit code $WL_RC"
grep -q "RBTCHOICE1() 選択したロボットタイプF21" "$d/stdout" || wl_fail "no robot choice in the console trace"
echo "window process test: start-up, menu, robot choice, view key and ESC all as expected"
