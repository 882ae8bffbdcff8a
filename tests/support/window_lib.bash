# Helpers for driving the simulator window from a shell: a private Xvfb display, the program
# started with no console input, keys typed into its window, screenshots and pixel counts.
# Sourced by tests/window/*.sh and scripts/screenshot.sh. Every wait has a time limit.

WL_DIR="" WL_XVFB_PID="" WL_PID="" WL_WID="" WL_RC=""
WL_TITLE='^F:Robot Choice, O:Obstacle Set, A:Cal\. of Goal Pose, B:Path Generation, C:Path Motion$'

wl_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs the command (after the count) every 0.1 s until it succeeds, at most COUNT times.
wl_until() {
  local n=$1 k
  shift
  for k in $(seq "$n"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Ends the program and the display started here (by their process ids) and removes the files.
wl_cleanup() {
  if [ -n "$WL_PID" ]; then kill "$WL_PID" 2>/dev/null || true; fi
  if [ -n "$WL_XVFB_PID" ]; then kill "$WL_XVFB_PID" 2>/dev/null || true; fi
  if [ -n "$WL_DIR" ]; then rm -rf "$WL_DIR"; fi
  return 0
}

# A display of its own, so that no other window covers the program's window.
wl_start_xvfb() {
  WL_DIR=$(mktemp -d)
  command -v Xvfb >/dev/null || wl_fail "Xvfb is not installed (scripts/setup.sh installs it)"
  Xvfb -displayfd 9 -screen 0 800x700x24 -nolisten tcp -noreset 9>"$WL_DIR/display" >"$WL_DIR/xvfb.log" 2>&1 &
  WL_XVFB_PID=$!
  wl_until 100 test -s "$WL_DIR/display" || wl_fail "Xvfb did not start: $(cat "$WL_DIR/xvfb.log")"
  export DISPLAY=":$(tr -d '[:space:]' <"$WL_DIR/display")"
}

# Starts the program with standard input from /dev/null and waits for its window to show.
wl_start_program() {
  "$1" </dev/null >"$WL_DIR/stdout" 2>"$WL_DIR/stderr" &
  WL_PID=$!
  WL_WID=$(timeout 20 xdotool search --sync --onlyvisible --name "$WL_TITLE" 2>/dev/null | head -n 1) || true
  [ -n "$WL_WID" ] || wl_fail "no window titled like '$WL_TITLE' within 20 s; stderr: $(cat "$WL_DIR/stderr")"
  timeout 10 xdotool windowfocus --sync "$WL_WID" || wl_fail "cannot focus the window"
}

# Screenshot of the program's window.
wl_shot() {
  [ -n "$WL_WID" ] || wl_fail "no window to take a picture of"
  timeout 10 import -window "$WL_WID" "$1" || wl_fail "import failed"
}

# The pixels of a picture (or of its region WxH+X+Y), one "r g b" line each.
wl_pixels() {
  timeout 20 convert "$1" ${2:+-crop "$2" +repage} -depth 8 rgb:- | od -An -v -tu1 -w3
}

# Colour classes of a pixel: wall (translucent wall red), link (lit link colour), dark (text, lines).
WL_CLASSES='function d(a, b) { return a > b ? a - b : b - a }
  function is(c, r, g, b) {
    if (c == "wall") return r >= 200 && g < 130 && b < 130 && d(g, b) < 12
    if (c == "link") return g >= r + 8 && g > 100 && d(g, b) <= 10
    return c == "dark" && r < 225 && g < 50 && b < 50
  }'

# Number of pixels of a colour class.
wl_count() {
  wl_pixels "$1" | awk -v c="$2" "$WL_CLASSES"' is(c, $1, $2, $3) { n++ } END { print n + 0 }'
}

# Number of differing pixels of two pictures (optionally of one region WxH+X+Y of both).
wl_diff() {
  paste -d ' ' <(wl_pixels "$1" "${3:-}") <(wl_pixels "$2" "${3:-}") |
    awk '$1 != $4 || $2 != $5 || $3 != $6 { n++ } END { print n + 0 }'
}

# Dark pixels (text, lines) of the region WxH+X+Y: prints "common total", the number of pixels
# dark in both pictures and the number dark in the first. Text that stays in place keeps nearly
# all its pixels; thin lines of a moved 3-D scene keep few.
wl_dark_kept() {
  paste -d ' ' <(wl_pixels "$1" "$3") <(wl_pixels "$2" "$3") |
    awk "$WL_CLASSES"' is("dark", $1, $2, $3) { t++; k += is("dark", $4, $5, $6) } END { print k + 0, t + 0 }'
}

# Waits until the window's picture differs from the picture PREV, then stores it in OUT.
wl_changed() { wl_shot "$2" && [ "$(wl_diff "$1" "$2")" != "0" ]; }
wl_shot_changed() { wl_until 50 wl_changed "$1" "$2" || wl_fail "the picture did not change within 5 s"; }

# Waits until the picture differs from PREV and then holds still (all typed keys handled).
wl_still() {
  sleep 0.1
  wl_shot "$WL_DIR/settle.png"
  [ "$(wl_diff "$1" "$WL_DIR/settle.png")" = "0" ] && return 0
  cp "$WL_DIR/settle.png" "$1"
  return 1
}
wl_shot_settled() {
  wl_shot_changed "$1" "$2"
  wl_until 50 wl_still "$2" || wl_fail "the picture did not settle within 5 s"
}

# Waits until the window shows a frame (the wall drawn over the white clear colour).
wl_drawn() { wl_shot "$1" && [ "$(wl_count "$1" wall)" -gt 0 ]; }
wl_shot_drawn() { wl_until 50 wl_drawn "$1" || wl_fail "no frame drawn within 5 s"; }

# Types text into the focused window, one key at a time; presses one key.
wl_type() { timeout 10 xdotool type --delay 30 "$1" || wl_fail "xdotool type failed"; }
wl_key() { timeout 10 xdotool key "$1" || wl_fail "xdotool key failed"; }

# Waits for the program to end and puts its exit code into WL_RC.
wl_ended() { ! kill -0 "$WL_PID" 2>/dev/null; }
wl_wait_exit() {
  wl_until 100 wl_ended || wl_fail "the program did not end within 10 s"
  WL_RC=0
  wait "$WL_PID" || WL_RC=$?
  WL_PID=""
}
